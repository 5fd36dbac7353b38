#pragma once
// One node of a configuration tree. A key with a value and a section with
// braces are the same kind of node, and a node may have both a value and
// children. Nodes own their children; children keep their number (their
// place in file order) next to the lookup by name.
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "utils/config/Section.h"

class Parser;

// The text of a file being saved, and whether an empty line is due before the
// next node that has comment lines (after a finished node, not after "{").
struct SaveText {
    std::string text;
    bool blank_line_due = false;
};

class RealSection : public virtual Section {
public:
    RealSection(std::string name, bool read_only);
    ~RealSection() override;

    Section* GetRoot() override;
    const char* GetString(const char* path) const override;
    bool GetDouble(double& value, const char* path) const override;
    bool GetInt(int& value, const char* path) const override;
    bool GetLong(long& value, const char* path) const override;
    bool GetBool(bool& value, const char* path) const override;
    int GetDoubles(double* out, int max, const char* path) const override;
    int GetInts(int* out, int max, const char* path) const override;
    int GetType(const char* path) const override;
    const char* GetComment(const char* path, bool line) const override;

    bool SetString(const char* value, const char* path) override;
    bool SetDouble(double value, const char* path) override;
    bool SetDoubles(const double* values, int count, const char* path) override;
    bool SetInt(int value, const char* path) override;
    bool SetInts(const int* values, int count, const char* path) override;
    bool SetLink(const char* target, const char* path) override;
    bool SetComment(const char* text, const char* path, bool line) override;
    bool Destroy(const char* path) override;

    const char* GetName(const char* path, int index) const override;
    bool SetName(const char* new_name, const char* path, int index) override;
    Section* GetSection(const char* path, int index) override;
    int GetSecNum(const char* path) const override;

    // The node at `path`, not following a link that the path ends on; null
    // when the path is invalid or leads nowhere.
    RealSection* ExtractSection(const char* path);
    const RealSection* ExtractSection(const char* path) const;

    // The node at `path`, with the sections on the way created as plain
    // nodes numbered after their siblings; null for an invalid path (and
    // then nothing is created).
    RealSection* CreateSection(const char* path);

    // Removes the child `name` with its subtree and renumbers the children
    // after it; false when this node is read-only or has no such child.
    bool DestroySubsection(std::string name);

    // Appends the node in the file format at `level` (tabs of indentation),
    // its line comment aligned for siblings up to `width` wide, then its
    // children. A node with neither value nor children is skipped and
    // reported. The tree must have passed the checks of SaveCheck.h.
    void Save(SaveText& out, int level, int width);
    // The length of the node's line without its line comment; kept for the
    // alignment of line comments and returned.
    int CalcStrCLen();

    // The parents followed to the node without parent.
    RealSection* top();
    const RealSection* top() const;

    const std::string& name() const { return name_; }
    int kind() const { return kind_; }
    int number() const { return number_; }
    int child_count() const { return static_cast<int>(ordered_.size()); }
    const RealSection* parent() const { return parent_; }
    bool read_only() const { return read_only_; }
    const std::vector<double>& values() const { return values_; }
    const std::string& value_text() const { return value_text_; }
    const std::string& comment() const { return comment_; }
    const std::string& line_comment() const { return line_comment_; }
    // The child numbered `index`, or null.
    const RealSection* child(int index) const;
    // The child named `name`, or null.
    RealSection* FindChild(std::string_view name) const;

protected:
    // The lookup behind ExtractSection; a file root also searches its imports.
    virtual const RealSection* find(std::string_view path) const;
    const RealSection* find_here(std::string_view path) const;

    friend class Parser;

    // Links a new child named `name` in after the existing ones.
    RealSection* AddChild(std::string name, bool read_only);
    // The node at `path` with links followed, or null when missing.
    const RealSection* resolve(const char* path) const;
    // The first number of a numeric node; false when missing, empty or not
    // numeric (which is reported).
    bool GetDouble_worker(double& value, const char* path) const;
    // Traces `path` from the top of the file when the trace mode asks for it.
    void trace_lookup(const char* path) const;
    // True (after the refusal is traced) when this node refuses changes.
    bool refuses(const char* format, const char* what) const;
    bool set_numbers(std::vector<double> values, const char* path);
    // The widest line among the children, for aligning their line comments.
    int children_width();
    // The value as written after the name: " = ..." or nothing.
    std::string saved_value() const;
    // Moves the entry of `node` in this node's children to `new_name`.
    void rename_child(RealSection& node, const std::string& new_name);

    std::string value_text_;       // string, literal of a single number, or link target
    std::vector<double> values_;   // numbers of a numeric node
    int kind_ = SectionKind::plain;
    int number_ = 0;               // place among the parent's children
    RealSection* parent_ = nullptr;
    std::string name_;
    std::string comment_;          // lines before the node, each ending in '\n'
    std::string line_comment_;     // after the value on the same line, no '\n'
    std::map<std::string, std::unique_ptr<RealSection>, std::less<>> subsections_;
    std::vector<RealSection*> ordered_;  // the children by number
    int width_ = 0;                // written width, for aligning line comments
    bool read_only_ = false;
};
