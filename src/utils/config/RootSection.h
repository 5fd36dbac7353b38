#pragma once
// The node that is a whole configuration file. It owns the files it imports;
// a lookup that finds nothing in the file itself goes on in its imports, in
// the order of their names, so settings of imported files are visible through
// the importing file after its own.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "utils/config/RealSection.h"

class RootSection : public RealSection, public Config {
public:
    RootSection(std::string name, bool read_only);
    ~RootSection() override;

    Section* GetRoot() override { return this; }

    // The file that imported this one; null for the top file.
    const RootSection* importer() const { return importer_; }
    // The imported files by the names they were imported under.
    const std::map<std::string, std::unique_ptr<RootSection>>& imports() const { return imports_; }
    // The names of the files read into this tree: its own name, and for the
    // top file of a read every file that the read opened or tried to open
    // in front of it.
    const std::vector<std::string>& files() const { return files_; }
    // The comment lines at the head of the file (before its imports).
    const std::string& root_comment() const { return comment_; }

protected:
    const RealSection* find(std::string_view path) const override;

private:
    friend class Parser;

    // Takes `imported` under `name`, replacing an import of that name.
    void attach_import(const std::string& name, std::unique_ptr<RootSection> imported);

    RootSection* importer_ = nullptr;
    std::map<std::string, std::unique_ptr<RootSection>> imports_;
    std::vector<std::string> files_;
};
