#pragma once
// The node that is a whole configuration file. It owns the files it imports;
// a lookup that finds nothing in the file itself goes on in its imports, in
// the order of their names, so settings of imported files are visible through
// the importing file after its own.
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "utils/config/RealSection.h"

class RootSection : public RealSection, public Config {
public:
    RootSection(std::string name, bool read_only);
    ~RootSection() override;

    Section* GetRoot() override { return this; }
    // An empty path: see Config. Any other path removes a node of the file.
    bool Destroy(const char* path) override;

    bool Save() override;
    bool SaveAs(const char* path) override;
    bool Import(std::unique_ptr<Config>& other) override;
    std::string GetPath() const override;
    long GetModTime() const override;

    // The whole text that SaveAs writes; none (after every problem has been
    // reported as a reason why `shown_path` cannot be saved) when the format
    // cannot hold the tree.
    std::optional<std::string> save_text(const std::string& shown_path);

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
    friend class RealSection;

    // Moves this file's entry in its importer to `new_name`; false (and
    // reported) when the importer already holds a file of that name.
    bool rename_import(const std::string& new_name);
    // Drops nodes, value, comments and imports, and makes the tree writable.
    void clear();

    // Takes `imported` under `name`, replacing an import of that name.
    void attach_import(const std::string& name, std::unique_ptr<RootSection> imported);

    RootSection* importer_ = nullptr;
    std::map<std::string, std::unique_ptr<RootSection>> imports_;
    std::vector<std::string> files_;
};
