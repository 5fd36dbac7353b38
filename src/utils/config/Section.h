#pragma once
// The interfaces through which every setting is read: `Section` is one node
// of a configuration tree, `Config` the node that stands for a whole file.
//
// Paths are dotted sequences of names relative to the node an operation is
// called on ("Calculation.contacts.residue_contact_range"); leading and
// trailing spaces are ignored, an empty (or null) path names the node itself
// and a path ending in '.' names the same node as without it. A node is
// missing when the path leads nowhere, a link on the way leads nowhere, or
// links form a cycle. Text results point into the tree and stay valid until
// that node is changed or destroyed.
//
// Getters keep the caller's preset value when the key is missing and log the
// default they kept. Lookups never change the tree, so several threads may
// read one tree at the same time as long as none of them changes it.

// Kinds of value a node holds (`GetType`).
struct SectionKind {
    static constexpr int plain = 0;    // no value
    static constexpr int string = 1;
    static constexpr int numeric = 2;  // one number or an array
    static constexpr int link = 3;     // the path of another node
};

class Section {
public:
    Section() = default;
    Section(const Section&) = delete;
    Section& operator=(const Section&) = delete;
    virtual ~Section() = default;

    // The top of this node's tree (an imported file is a tree of its own).
    virtual Section* GetRoot() = 0;

    // The text of a string node, or the literal of a single number as
    // written; null for a plain or missing node.
    virtual const char* GetString(const char* path) const = 0;
    // The first number of a numeric node. Otherwise `value` is left as it
    // is, the default is logged and the result is false.
    virtual bool GetDouble(double& value, const char* path) const = 0;
    // As GetDouble, truncated toward zero; a number outside the range of int
    // is an error and keeps the default.
    virtual bool GetInt(int& value, const char* path) const = 0;
    // As GetDouble; the number must be an integer within the range of long.
    virtual bool GetLong(long& value, const char* path) const = 0;
    // As GetDouble; true when the first number is not 0.
    virtual bool GetBool(bool& value, const char* path) const = 0;
    // Copies up to `max` numbers and returns how many; with a null `out` or a
    // `max` of 0 returns the count. 0 for other kinds, without a message.
    virtual int GetDoubles(double* out, int max, const char* path) const = 0;
    // As GetDoubles, truncated toward zero; `max` below 1 gives 0; entries of
    // `out` past the count are left as they were.
    virtual int GetInts(int* out, int max, const char* path) const = 0;
    // The node's kind (a link gives the kind of its target); 0 when missing.
    virtual int GetType(const char* path) const = 0;
    // The comment lines before the node, or (`line`) the comment after its value.
    virtual const char* GetComment(const char* path, bool line) const = 0;

    // Setters find or create the node at the path. A node made read-only
    // (an imported file, a file read in read-only mode) refuses them.
    virtual bool SetString(const char* value, const char* path) = 0;
    virtual bool SetDouble(double value, const char* path) = 0;
    virtual bool SetDoubles(const double* values, int count, const char* path) = 0;
    virtual bool SetInt(int value, const char* path) = 0;
    virtual bool SetInts(const int* values, int count, const char* path) = 0;
    virtual bool SetLink(const char* target, const char* path) = 0;
    virtual bool SetComment(const char* text, const char* path, bool line) = 0;

    // Index below 0: the node's own name; otherwise the name of its child
    // numbered `index` (children are numbered 0, 1, ... in file order).
    virtual const char* GetName(const char* path, int index) const = 0;
    // Index below 0: the node itself; otherwise its child numbered `index`.
    virtual Section* GetSection(const char* path, int index) = 0;
    // The number of children; -1 when the node is missing.
    virtual int GetSecNum(const char* path) const = 0;
};

// The face of a tree that stands for one configuration file.
class Config : public virtual Section {};
