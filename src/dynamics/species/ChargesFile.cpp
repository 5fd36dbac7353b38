#include "dynamics/species/ChargesFile.h"

#include <string_view>

#include "dynamics/species/FixedColumns.h"
#include "dynamics/species/StructureLine.h"
#include "dynamics/species/TextLines.h"

using namespace fixed_columns;

namespace {

// The name of a section header "[ name ]"; none for other lines.
std::optional<std::string_view> section_header(std::string_view line) {
    const std::string_view text = skip_space(line);
    if (text.empty() || text.front() != '[') return std::nullopt;
    const auto close = text.find(']');
    std::string_view name = text.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1);
    name = skip_space(name);
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.remove_suffix(1);
    return name;
}

}  // namespace

bool ChargesFile::open(const std::string& name, bool topology, bool pqr) {
    in_.open(name, std::ios::binary);
    if (!in_) return false;
    topology_ = topology;
    pqr_ = pqr;
    if (topology_) {
        std::string line;
        bool found = false;
        while (!found && read_text_line(in_, line)) found = section_header(line) == std::string_view("atoms");
        if (!found) in_.clear();  // stays at the end: no charges
        if (!found) in_.seekg(0, std::ios::end);
    }
    start_ = in_.tellg();
    restart();
    return true;
}

void ChargesFile::restart() {
    in_.clear();
    in_.seekg(start_);
    at_end_ = false;
    pending_.reset();
    charge_failures_ = 0;
    advance();
}

void ChargesFile::advance() {
    pending_.reset();
    while (!at_end_) {
        if (!read_text_line(in_, line_)) {
            at_end_ = true;
            break;
        }
        if (topology_ && section_header(line_)) {
            at_end_ = true;
            break;
        }
        if (const auto serial = serial_of(line_)) {
            pending_ = serial;
            return;
        }
    }
}

std::optional<int> ChargesFile::serial_of(const std::string& line) const {
    if (topology_) {
        const auto serial = read_int(line, 6);
        if (!serial) return std::nullopt;
        return serial->value;
    }
    // Other records (a chain's "TER" carries a serial too) hold no charge.
    if (!is_atom_record(record_name(line))) return std::nullopt;
    return atom_serial(line);
}

std::optional<float> ChargesFile::charge_of(const std::string& line) const {
    if (!topology_) return structure_charge(line, pqr_);
    // The seventh field: number, five words, charge.
    const auto number = read_int(line);
    if (!number) return std::nullopt;
    std::string_view rest = number->rest;
    for (int field = 0; field < 5; ++field) {
        const std::string_view word = read_word(rest);
        if (word.empty()) return std::nullopt;
        rest = skip_space(rest).substr(word.size());
    }
    const auto charge = read_float(rest);
    if (!charge) return std::nullopt;
    return charge->value;
}

std::optional<float> ChargesFile::take(int serial) {
    if (pending_ != serial) return std::nullopt;
    const auto charge = charge_of(line_);
    if (!charge) ++charge_failures_;
    advance();
    return charge.value_or(0.0f);
}

int ChargesFile::unused_lines() {
    int unused = 0;
    while (pending_) {
        ++unused;
        advance();
    }
    return unused;
}
