#pragma once
// A charges file: atom charges by serial number, read alongside a structure
// file.
//
// Two layouts: lines of the structure file's columns (serial in columns 7-11
// of "ATOM" and "HETATM" lines, the charge where the structure file has it),
// or the atoms section of a molecular topology (lines "nr type resnr residue
// atom cgnr charge ...", the section headed "[ atoms ]" and ended by the
// next header).
//
// The file is read in step with the structure: its next line with a serial
// waits ("pending") until the structure reaches the atom with that serial,
// gives that atom its charge, and the file moves on. Lines whose serial
// never comes are reported by `unused_lines`.
#include <fstream>
#include <optional>
#include <string>

class ChargesFile {
public:
    // Opens `name`; false when it does not open. In `topology` mode the file
    // is placed after the atoms section's header (at its end without one).
    // `pqr`: the charge is read from column 55 instead of column 79.
    bool open(const std::string& name, bool topology, bool pqr);

    // Back to where the data began and to its first line with a serial.
    void restart();

    // The pending serial, if a line with one is waiting.
    std::optional<int> pending() const { return pending_; }

    // For the atom with `serial`: none when the pending line is another
    // atom's; else that line's charge (0 when its charge does not parse,
    // counted in `charge_failures`), and the file moves on to its next line
    // with a serial.
    std::optional<float> take(int serial);

    // The lines with a serial from the pending one on (up to the end of the
    // atoms section in topology mode): charges that no atom has taken. Reads
    // ahead; call `restart` before taking charges again.
    int unused_lines();

    // Lines taken whose charge did not parse, since the last `restart`.
    int charge_failures() const { return charge_failures_; }

    bool topology() const { return topology_; }

private:
    // Moves to the next line with a serial, stopping at a section header in
    // topology mode.
    void advance();
    std::optional<int> serial_of(const std::string& line) const;
    std::optional<float> charge_of(const std::string& line) const;

    std::ifstream in_;
    std::streampos start_{};
    bool topology_ = false;
    bool pqr_ = false;
    bool at_end_ = false;  // no further line with a serial
    std::string line_;
    std::optional<int> pending_;
    int charge_failures_ = 0;
};
