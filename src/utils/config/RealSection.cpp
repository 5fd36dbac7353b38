#include "utils/config/RealSection.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "utils/Trace.h"
#include "utils/config/NumberText.h"
#include "utils/config/Parser.h"
#include "utils/config/Symbols.h"

namespace {

// Level of the trace that reports a name missing on the way of a lookup: one
// above debug, so that it can be told apart from everything else.
constexpr int lookup_trace_level = Msgtype::debug + 1;

const char* shown(const char* path) { return path != nullptr ? path : ""; }

std::string_view as_view(const char* path) { return path != nullptr ? std::string_view(path) : std::string_view(); }

// The bounds of the integer type T as doubles: [low, high).
template <class T>
bool fits(double value) {
    const double low = static_cast<double>(std::numeric_limits<T>::min());
    const double high = -low;  // 2^(bits-1), exactly representable
    return value >= low && value < high;
}

template <class T>
bool fits_truncated(double value) {
    return std::isfinite(value) && fits<T>(std::trunc(value));
}

void trace_out_of_range(const char* path, double value) {
    trace(Msgtype::error, "section '%s': value %s is out of the integer range", shown(path),
          format_shortest(value).c_str());
}

}  // namespace

// With the trace mode at `lookup_trace_mode` every getter's path is traced,
// from the top of the node's file, so that a run can list the keys it asks
// for (found or not).
void RealSection::trace_lookup(const char* path) const {
    if (Parser::get_mode() < lookup_trace_mode) return;
    const std::string_view key = Symbols::clear_blanks(as_view(path));
    if (key.empty()) return;
    std::string full(key);
    for (const RealSection* node = this; node->parent_ != nullptr; node = node->parent_)
        full = node->name_ + "." + full;
    trace(Msgtype::debug, "lookup '%s'", full.c_str());
}

RealSection::RealSection(std::string name, bool read_only)
    : name_(std::move(name)), width_(static_cast<int>(name_.size())), read_only_(read_only) {}

RealSection::~RealSection() = default;

// ---------------------------------------------------------------- structure

RealSection* RealSection::top() {
    RealSection* node = this;
    while (node->parent_ != nullptr) node = node->parent_;
    return node;
}

const RealSection* RealSection::top() const { return const_cast<RealSection*>(this)->top(); }

Section* RealSection::GetRoot() { return top(); }

const RealSection* RealSection::child(int index) const {
    if (index < 0 || index >= child_count()) return nullptr;
    return ordered_[static_cast<std::size_t>(index)];
}

RealSection* RealSection::FindChild(std::string_view name) const {
    const auto found = subsections_.find(name);
    return found != subsections_.end() ? found->second.get() : nullptr;
}

RealSection* RealSection::AddChild(std::string name, bool read_only) {
    auto node = std::make_unique<RealSection>(name, read_only);
    node->number_ = child_count();
    node->parent_ = this;
    RealSection* added = node.get();
    const auto [where, inserted] = subsections_.emplace(std::move(name), std::move(node));
    if (!inserted) return nullptr;
    ordered_.push_back(added);
    return added;
}

// ---------------------------------------------------------------- lookup

const RealSection* RealSection::find_here(std::string_view path) const {
    const RealSection* node = this;
    for (;;) {
        path = Symbols::clear_blanks(path);
        if (path.empty()) return node;
        if (!Symbols::check_path(path)) return nullptr;
        const auto dot = path.find('.');
        const std::string_view first = path.substr(0, dot);
        const RealSection* next = node->FindChild(first);
        if (next == nullptr) {
            const std::string missing(first);
            trace(lookup_trace_level, "section '%s': cannot find subsection: '%s'", node->name_.c_str(),
                  missing.c_str());
            return nullptr;
        }
        if (dot == std::string_view::npos) return next;
        node = next;
        path.remove_prefix(dot + 1);
    }
}

const RealSection* RealSection::find(std::string_view path) const { return find_here(path); }

const RealSection* RealSection::ExtractSection(const char* path) const { return find(as_view(path)); }

RealSection* RealSection::ExtractSection(const char* path) {
    return const_cast<RealSection*>(std::as_const(*this).ExtractSection(path));
}

const RealSection* RealSection::resolve(const char* path) const {
    const RealSection* node = ExtractSection(path);
    if (node == nullptr || node->kind_ != SectionKind::link) return node;
    // The links followed by this lookup alone, so that lookups in other
    // threads never see each other's trail.
    std::vector<const RealSection*> followed;
    const RealSection* base = top();
    while (node != nullptr && node->kind_ == SectionKind::link) {
        if (std::find(followed.begin(), followed.end(), node) != followed.end()) return nullptr;
        followed.push_back(node);
        node = base->ExtractSection(node->value_text_.c_str());
    }
    return node;
}

// ---------------------------------------------------------------- getters

const char* RealSection::GetString(const char* path) const {
    trace_lookup(path);
    const RealSection* node = resolve(path);
    if (node == nullptr || (node->kind_ != SectionKind::string && node->kind_ != SectionKind::numeric)) return nullptr;
    return node->value_text_.c_str();
}

bool RealSection::GetDouble_worker(double& value, const char* path) const {
    const RealSection* node = resolve(path);
    if (node == nullptr) return false;
    if (node->kind_ == SectionKind::numeric) {
        // An empty array has no first number: it reads like a missing key.
        if (node->values_.empty()) return false;
        value = node->values_.front();
        return true;
    }
    trace(Msgtype::warning, "section '%s': non-numeric data found", node->name_.c_str());
    return false;
}

bool RealSection::GetDouble(double& value, const char* path) const {
    trace_lookup(path);
    if (GetDouble_worker(value, path)) return true;
    trace(Msgtype::warning, "section '%s': default value %s", shown(path), format_e(value).c_str());
    return false;
}

bool RealSection::GetInt(int& value, const char* path) const {
    trace_lookup(path);
    double number = 0.0;
    if (GetDouble_worker(number, path)) {
        if (fits_truncated<int>(number)) {
            value = static_cast<int>(number);
            return true;
        }
        trace_out_of_range(path, number);
    }
    trace(Msgtype::warning, "section '%s': default value %d", shown(path), value);
    return false;
}

bool RealSection::GetLong(long& value, const char* path) const {
    trace_lookup(path);
    double number = 0.0;
    if (GetDouble_worker(number, path)) {
        if (!fits_truncated<long>(number)) {
            trace_out_of_range(path, number);
        } else if (std::trunc(number) != number) {
            trace(Msgtype::warning, "section '%s': value %s is not an integer", shown(path),
                  format_shortest(number).c_str());
        } else {
            value = static_cast<long>(number);
            return true;
        }
    }
    trace(Msgtype::warning, "section '%s': default value %ld", shown(path), value);
    return false;
}

bool RealSection::GetBool(bool& value, const char* path) const {
    trace_lookup(path);
    double number = 0.0;
    if (GetDouble_worker(number, path)) {
        value = number != 0.0;
        return true;
    }
    trace(Msgtype::warning, "section '%s': default value %s", shown(path), value ? "TRUE" : "FALSE");
    return false;
}

int RealSection::GetDoubles(double* out, int max, const char* path) const {
    trace_lookup(path);
    const RealSection* node = resolve(path);
    if (node == nullptr || node->kind_ != SectionKind::numeric) return 0;
    const int count = static_cast<int>(node->values_.size());
    if (out == nullptr || max == 0) return count;
    const int copied = std::clamp(max, 0, count);
    std::copy_n(node->values_.begin(), copied, out);
    return copied;
}

int RealSection::GetInts(int* out, int max, const char* path) const {
    trace_lookup(path);
    if (max < 1 || out == nullptr) return 0;
    const RealSection* node = resolve(path);
    if (node == nullptr || node->kind_ != SectionKind::numeric) return 0;
    const int copied = std::min(max, static_cast<int>(node->values_.size()));
    const auto first = node->values_.begin();
    const auto last = first + copied;
    if (const auto bad = std::find_if_not(first, last, fits_truncated<int>); bad != last) {
        trace_out_of_range(path, *bad);
        return 0;
    }
    std::transform(first, last, out, [](double number) { return static_cast<int>(number); });
    return copied;
}

int RealSection::GetType(const char* path) const {
    trace_lookup(path);
    const RealSection* node = resolve(path);
    return node != nullptr ? node->kind_ : SectionKind::plain;
}

const char* RealSection::GetComment(const char* path, bool line) const {
    trace_lookup(path);
    const RealSection* node = ExtractSection(path);
    if (node == nullptr) return nullptr;
    return line ? node->line_comment_.c_str() : node->comment_.c_str();
}

const char* RealSection::GetName(const char* path, int index) const {
    trace_lookup(path);
    const RealSection* node = ExtractSection(path);
    if (node == nullptr) return nullptr;
    if (index < 0) return node->name_.c_str();
    const RealSection* found = node->child(index);
    return found != nullptr ? found->name_.c_str() : nullptr;
}

Section* RealSection::GetSection(const char* path, int index) {
    trace_lookup(path);
    RealSection* node = ExtractSection(path);
    if (node == nullptr || index < 0) return node;
    return const_cast<RealSection*>(node->child(index));
}

int RealSection::GetSecNum(const char* path) const {
    trace_lookup(path);
    const RealSection* node = ExtractSection(path);
    return node != nullptr ? node->child_count() : -1;
}

// ---------------------------------------------------------------- setters

RealSection* RealSection::CreateSection(const char* path) {
    std::string_view rest = Symbols::clear_blanks(as_view(path));
    if (rest.empty()) return this;
    // Every name on the way is checked before anything is created, so that a
    // refused path leaves the tree as it was.
    for (std::string_view check = rest;;) {
        check = Symbols::clear_blanks(check);
        if (check.empty()) break;
        if (!Symbols::check_path(check)) return nullptr;
        const auto dot = check.find('.');
        if (dot == std::string_view::npos) break;
        check.remove_prefix(dot + 1);
    }
    RealSection* node = this;
    for (;;) {
        rest = Symbols::clear_blanks(rest);
        if (rest.empty()) return node;
        const auto dot = rest.find('.');
        const std::string_view first = rest.substr(0, dot);
        RealSection* next = node->FindChild(first);
        if (next == nullptr) next = node->AddChild(std::string(first), read_only_);
        if (dot == std::string_view::npos) return next;
        node = next;
        rest.remove_prefix(dot + 1);
    }
}

bool RealSection::refuses(const char* format, const char* what) const {
    if (!read_only_) return false;
    if (Parser::get_mode() >= 1) trace(Msgtype::error, format, name_.c_str(), shown(what));
    return true;
}

bool RealSection::SetString(const char* value, const char* path) {
    if (refuses("section '%s' is 'read-only', cannot set parameter: %s", path)) return false;
    if (value == nullptr) return false;
    RealSection* node = CreateSection(path);
    if (node == nullptr) return false;
    node->kind_ = SectionKind::string;
    node->value_text_ = value;
    node->values_.clear();
    return true;
}

bool RealSection::set_numbers(std::vector<double> values, const char* path) {
    RealSection* node = CreateSection(path);
    if (node == nullptr) return false;
    node->kind_ = SectionKind::numeric;
    // The literal follows the number, so GetString never shows a stale one.
    node->value_text_ = values.size() == 1 ? format_shortest(values.front()) : std::string();
    node->values_ = std::move(values);
    return true;
}

bool RealSection::SetDouble(double value, const char* path) {
    if (refuses("section '%s' is 'read-only', cannot set parameter: %s", path)) return false;
    return set_numbers({value}, path);
}

bool RealSection::SetDoubles(const double* values, int count, const char* path) {
    if (refuses("section '%s' is 'read-only', cannot set parameter: %s", path)) return false;
    if (values == nullptr && count > 0) return false;
    std::vector<double> numbers;
    if (count > 0) numbers.assign(values, values + count);
    return set_numbers(std::move(numbers), path);
}

bool RealSection::SetInt(int value, const char* path) { return SetDouble(static_cast<double>(value), path); }

bool RealSection::SetInts(const int* values, int count, const char* path) {
    if (count < 1 || values == nullptr) return false;
    const std::vector<double> numbers(values, values + count);
    return SetDoubles(numbers.data(), count, path);
}

bool RealSection::SetLink(const char* target, const char* path) {
    if (refuses("section '%s' is 'read-only', cannot set parameter: %s", path)) return false;
    if (target == nullptr) return false;
    RealSection* node = CreateSection(path);
    if (node == nullptr) return false;
    node->kind_ = SectionKind::link;
    node->value_text_ = target;
    node->values_.clear();
    return true;
}

bool RealSection::SetComment(const char* text, const char* path, bool line) {
    if (refuses("section '%s' is 'read-only', cannot set comment '%s'", text)) return false;
    if (text == nullptr) return false;
    RealSection* node = CreateSection(path);
    if (node == nullptr) return false;
    if (line) {
        const std::string_view whole(text);
        node->line_comment_ = std::string(whole.substr(0, whole.find('\n')));
    } else {
        node->comment_ = std::string(text) + '\n';
    }
    return true;
}
