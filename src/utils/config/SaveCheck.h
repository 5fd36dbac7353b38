#pragma once
// What the file format cannot hold. A tree is saved only when the file would
// read back as the same tree, so every name, string, number, link and comment
// must have a form that the reader takes as it is.
#include <string>
#include <vector>

class RootSection;

// One text per problem, in file order ("section 'A.s': ..."); empty when the
// tree can be written. Nodes with neither value nor children are not written
// and not checked.
std::vector<std::string> save_problems(const RootSection& root);
