#pragma once
// The restart file: a process-wide registry of memory blocks that are saved
// together and restored together.
//
// Every owner of simulation state registers its raw blocks (address and byte
// count) while the engine is set up; a restart file is an 8-byte signature
// (the sum of the registered sizes, in the machine's byte order) followed by
// the bytes of every block in registration order, and then by a checksum of
// all of that (Checksum.h). A file can therefore be restored only by a run
// that registers the same blocks in the same order.
//
// `add` throws "backup::add call out of order" as a character string; `read`
// throws its failures as strings that name the file: "failed to open backup
// file <name>", "incomplete backup file <name>", "incorrect backup signature
// <name>" and "damaged backup file <name>" (the checksum does not match).
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

class backup {
public:
    struct backup_record {
        void* address;
        std::uint64_t size;
    };

    // Starts a fresh registry: drops every block registered before (they may
    // belong to an engine object that no longer exists), takes `prefix` (the
    // folder of the restart files, with its trailing '/'), forgets the
    // previous file and opens registration.
    static void init(const char* prefix);

    // Forgets everything: blocks, prefix and previous file; registration is
    // open. The engine calls it when its state goes away.
    static void reset();

    // Registers one block. `source_file` and `line` name the caller (not
    // stored). Throws "backup::add call out of order" once registration is
    // closed.
    static void add(void* address, unsigned long size, const char* source_file, int line);

    // Closes registration.
    static void init_complete();

    // Writes a restart file named after the prefix, the local time, the
    // process id and `step`. The file is written completely under a temporary
    // name, synchronised and only then renamed to its final name, which must
    // not exist yet. After that the previous file is deleted; with `remember`
    // the new file becomes the one that the next write deletes, otherwise it
    // stays for good. Any failure is logged, removes the partial file, keeps
    // the previous file and returns false.
    static bool write(bool remember, long step);

    // Restores every registered block from the file `name`, which then becomes
    // the previous file. The whole file, its checksum included, is checked
    // before any block is touched, so a failed read leaves the state as it
    // was. A file without a checksum (from before it was written) is restored
    // unchecked, with a warning.
    static void read(const char* name);

    // The sum of the registered sizes: the signature of the files written now.
    static std::uint64_t signature() { return add_position; }

private:
    static std::string file_name(long step);
    static bool write_file(const std::string& name);

    static std::vector<backup_record> buf_table;
    static std::uint64_t add_position;
    static bool add_disabled;
    static std::string filename_prefix;
    static std::string prev_backup_fname;
};

// Seams for tests: the clock that dates file names and the writer of the
// file's bytes (to simulate a full disk). Null restores the default.
namespace backup_detail {
using ClockFunction = std::time_t (*)();
using WriteFunction = std::size_t (*)(const void* data, std::size_t size, std::FILE* file);
void set_clock(ClockFunction clock);
void set_writer(WriteFunction writer);
}  // namespace backup_detail
