#pragma once
// The reader of configuration files: one Parser object reads one file into
// a RootSection; `$import` files get parsers of their own while the outer one
// waits. The file-wide settings (root folder, extension, verbosity) and the
// state of one read (counters, files opened, variable lookup) are shared by
// all parsers of the process.
//
// Every error and warning names the file and line. Any counted error makes
// the file, and so the whole configuration, fail; warnings never do.
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class RealSection;
class RootSection;

// The trace mode from which every lookup of a getter is traced.
inline constexpr int lookup_trace_mode = 3;

class Parser {
public:
    // Token codes; single-byte tokens ('$', ',', '=', '[', ']', '{', '}')
    // are their own byte.
    static constexpr int end_of_input = 0;
    static constexpr int name_token = 1;
    static constexpr int string_token = 2;
    static constexpr int link_token = 3;
    static constexpr int number_token = 4;
    static constexpr int comment_token = '#';

    // Sections, variable defaults and imports nested deeper than this stop
    // the reading of the file with an error (instead of exhausting the stack).
    static constexpr int max_nesting = 200;

    // A reader over `text` that fills `root`.
    Parser(std::string_view text, RootSection* root);

    // Reads statements into `section` (the root when null) up to its closing
    // '}' or, at root level, to the end of the input. Returns the number of
    // errors of the whole read so far.
    int parse_section(RealSection* section);

    // Reads the next token and returns its code.
    int get_token();

    // Count and report a diagnostic at the current line; error returns the
    // new error count.
    int error(const char* text);
    void warning(const char* text);

    // Reads the file `name` (the default extension added unless it occurs in
    // the name) below the root folder into a new tree. Null when the file
    // cannot be opened or when the read has counted any error.
    static std::unique_ptr<RootSection> import_root_section(const std::string& name, bool read_only);
    // The same for text already in memory, read as the file `name`.
    static std::unique_ptr<RootSection> import_root_text(const std::string& name, std::string_view text,
                                                         bool read_only);

    // The text of the variable `name`, from the sources of the variable order.
    static std::optional<std::string> get_var_str(const std::string& name);

    // ---- writing
    // The two lines that begin every file the writer makes. The reader skips
    // them at the very start of a file, so that a file saved again does not
    // gather one more pair with every save.
    static const std::string& header_line();   // "# Config 1.3 ..."
    static const std::string& header_rule();   // "# " and 57 '-'
    // Appends `level` tabs.
    static void tab(std::string& out, int level);
    // Appends each line of `comment` (lines end in '\n'; text after the last
    // one is not written) as `level` tabs, '#', the line and '\n'.
    static void save_comment(std::string& out, std::string_view comment, int level);

    // ---- state of one read
    // Empties the list of files opened and zeroes the counters.
    static void initialize();
    // Sets the variable sources; the VAR section is found again by the next read.
    static void setVarMap(const std::map<char, std::string>* map, const std::string* order);
    // Traces the counts (always with errors, otherwise when the mode is above
    // 0) and returns the error count; `warnings` receives the warning count.
    static int statistics(int* warnings);
    // The errors counted by the last read, without a trace.
    static int error_count() { return no_of_errors; }
    // The files the last read opened or tried to open, the top file first.
    static const std::vector<std::string>& get_import_table();
    // Puts the files of the last read in front of `root`'s own file list.
    static void set_import_table(RootSection* root);

    // ---- file-wide settings
    // Verbosity: 0 errors only; 1 also warnings, counts and refusals; 2 also
    // files that cannot be opened; 3 (lookup_trace_mode) also every path a
    // getter looks up, at debug level as "lookup '<path from the file's top>'".
    static void set_mode(int mode);
    static int get_mode();
    static void set_root_dir(const std::string& folder);
    static const std::string& get_root_dir();
    // The folder with a trailing separator ('/'), unless empty.
    static std::string conf_dir(std::string folder);
    static void set_conf_ext(const std::string& extension);
    static std::string conf_ext();
    // The file name of a configuration name: unchanged when the default
    // extension occurs anywhere in it, else with the extension appended.
    static std::string conf_fname(std::string_view name);
    // The root folder followed by `file_name`.
    static std::string conf_path(std::string_view file_name);

private:
    // Counts one level of nesting for as long as it lives; false when the
    // limit was reached (the reading then stops).
    class Nesting {
    public:
        explicit Nesting(Parser& parser) : entered_(parser.enter()) {}
        Nesting(const Nesting&) = delete;
        Nesting& operator=(const Nesting&) = delete;
        ~Nesting() {
            if (entered_) --Parser::nesting;
        }
        explicit operator bool() const { return entered_; }

    private:
        bool entered_;
    };

    // ---- tokens (ParserTokens.cpp)
    void skip_writer_header();
    int peek() const;
    int take();
    void count_line();
    int scan();
    int read_name();
    int read_string();
    int read_link();
    int read_comment();
    int read_number(int first);
    void skip_block_comment();
    int error_at(int line, const char* text);

    // ---- statements (Parser.cpp)
    bool directive(bool at_root);
    void declare(RealSection* current, RealSection*& last);
    bool enter();

    // ---- values (ParserValues.cpp)
    bool assign(RealSection* node);
    void read_array(RealSection* node);
    bool read_variable_name(std::string& name);
    bool assign_variable(RealSection* node);
    bool array_variable(RealSection* node);
    void skip_variable_rest();
    std::optional<double> variable_number(const std::string& text);
    // Warns (whatever the mode) that `node` took the number `number` and
    // left the text `ignored` that followed it.
    void ignored_after_number(const RealSection* node, std::string_view number, std::string_view ignored);
    void variable_tail(const RealSection* node, std::string_view text);

    std::string file_name() const;

    std::string_view input_;
    std::size_t pos_ = 0;
    RootSection* root_;
    int token_ = '}';
    int prev_token_ = '}';
    double number_value_ = 0.0;
    std::string token_text_;
    std::string number_tail_;  // letters and digits right after the last number read
    std::string pending_comment_;
    int line_ = 1;
    bool name_on_line_ = false;
    bool comment_after_name_ = false;  // the comment just read follows a name on its line
    bool stopped_ = false;             // nesting too deep: the rest of the input is ignored

    // State of one read, shared by the parsers of the top file and its imports.
    static int no_of_errors;
    static int no_of_warnings;
    static std::vector<std::string> import_table;
    static std::string var_order;
    static std::map<char, std::string> var_map;
    static RealSection* var_section;  // the root's VAR section, once read
    static int nesting;

    // File-wide settings.
    static int mode;
    static std::string root_dir;
    static std::string cfg_ext;
};
