#include "utils/backup/backup.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <unistd.h>

#include "utils/Format.h"
#include "utils/backup/Checksum.h"
#include "utils/Log.h"
#include "utils/fopen_s.h"
#include "utils/platform/FileReplace.h"
#include "utils/platform/Process.h"

std::vector<backup::backup_record> backup::buf_table;
std::uint64_t backup::add_position = 0;
bool backup::add_disabled = false;
std::string backup::filename_prefix;
std::string backup::prev_backup_fname;

namespace {

std::time_t system_clock() { return std::time(nullptr); }

std::size_t stream_writer(const void* data, std::size_t size, std::FILE* file) {
    return std::fwrite(data, 1, size, file);
}

std::atomic<backup_detail::ClockFunction> clock_function{system_clock};
std::atomic<backup_detail::WriteFunction> write_function{stream_writer};

bool write_bytes(const void* data, std::uint64_t size, std::FILE* file) {
    return write_function.load()(data, size, file) == size;
}


const char* reason(int error) { return error != 0 ? std::strerror(error) : "incomplete write"; }

void report_failed_write(const std::string& name, int error) {
    LOG_ERROR("failed to write backup file %s (%s); the previous backup file is kept", name.c_str(), reason(error));
}

// Closes the stream and tells whether everything buffered reached the file.
bool close_checked(FilePtr file) { return std::fclose(file.release()) == 0; }

}  // namespace

void backup::init(const char* prefix) {
    reset();
    filename_prefix = prefix != nullptr ? prefix : "";
}

void backup::reset() {
    buf_table.clear();
    add_position = 0;
    add_disabled = false;
    filename_prefix.clear();
    prev_backup_fname.clear();
}

void backup::add(void* address, unsigned long size, const char* /*source_file*/, int /*line*/) {
    if (add_disabled) throw "backup::add call out of order";
    if (address == nullptr && size > 0) throw std::invalid_argument("backup::add: a block without memory");
    buf_table.push_back({address, size});
    add_position += size;
}

void backup::init_complete() { add_disabled = true; }

std::string backup::file_name(long step) {
    const std::time_t now = clock_function.load()();
    std::tm local{};
    localtime_r(&now, &local);
    return format("%s%02d_%02d_%04d__%02d_%02d_(%lu)_(%ld).backup", filename_prefix.c_str(), local.tm_mday,
                  local.tm_mon + 1, local.tm_year + 1900, local.tm_hour, local.tm_min,
                  platform::process_id(), step);
}

// Writes signature, blocks and checksum to `name` and forces them to disk.
// Failing calls leave their reason in errno (0 when they give none).
bool backup::write_file(const std::string& name) {
    errno = 0;
    FilePtr file = fopen_share(name, "wb+", false, true);
    if (file == nullptr) return false;
    restart_checksum::Sum sum;
    if (!write_bytes(&add_position, sizeof add_position, file.get())) return false;
    sum.add(&add_position, sizeof add_position);
    for (const backup_record& block : buf_table) {
        if (block.size == 0) continue;
        if (!write_bytes(block.address, block.size, file.get())) return false;
        sum.add(block.address, block.size);
    }
    const restart_checksum::Record record = restart_checksum::record(sum.value());
    if (!write_bytes(record.data(), record.size(), file.get())) return false;
    if (std::fflush(file.get()) != 0) return false;
    if (!platform::sync_descriptor(::fileno(file.get()))) return false;
    return close_checked(std::move(file));
}

namespace {

// Names carry the minute and the step, so two saves can meet on one name (two
// experiments of a process ending in the same minute at the same step). The
// later save then goes beside the first under "<name>_2.backup", "_3", ...
// rather than being lost.
constexpr int max_copies = 100;

std::string copy_name(const std::string& name, int copy) {
    if (copy == 1) return name;
    const std::string extension = ".backup";
    return name.substr(0, name.size() - extension.size()) + "_" + std::to_string(copy) + extension;
}

}  // namespace

bool backup::write(bool remember, long step) {
    const std::string base = file_name(step);
    const std::string temporary = base + ".tmp";
    if (!write_file(temporary)) {
        const int error = errno;
        std::remove(temporary.c_str());
        report_failed_write(base, error);
        return false;
    }
    std::string name;
    for (int copy = 1; name.empty() && copy <= max_copies; ++copy) {
        const std::string candidate = copy_name(base, copy);
        switch (platform::rename_no_replace(temporary, candidate)) {
            case platform::RenameResult::renamed: name = candidate; break;
            case platform::RenameResult::exists: break;
            case platform::RenameResult::failed: {
                const int error = errno;
                std::remove(temporary.c_str());
                report_failed_write(base, error);
                return false;
            }
        }
    }
    if (name.empty()) {
        std::remove(temporary.c_str());
        LOG_WARNING("file already exists: %s", base.c_str());
        return false;
    }
    if (name != base) LOG_WARNING("file already exists: %s; the state is written to %s", base.c_str(), name.c_str());
    platform::sync_parent_folder(name);

    if (!prev_backup_fname.empty() && prev_backup_fname != name && std::remove(prev_backup_fname.c_str()) != 0 &&
        errno != ENOENT)
        LOG_WARNING("could not delete the previous backup file %s", prev_backup_fname.c_str());
    prev_backup_fname = remember ? name : std::string();
    return true;
}

namespace {

// A failure of a read, naming the file.
std::string refusal(const char* text, const std::string& name) { return std::string(text) + " " + name; }

}  // namespace

void backup::read(const char* name) {
    const std::string file_name = name != nullptr ? name : "";
    if (name == nullptr) throw refusal("failed to open backup file", file_name);
    FilePtr file = fopen_share(name, "rb", false, false);
    if (file == nullptr) throw refusal("failed to open backup file", file_name);

    std::uint64_t stored_signature = 0;
    if (std::fread(&stored_signature, sizeof stored_signature, 1, file.get()) != 1) {
        if (std::ferror(file.get())) throw refusal("failed to open backup file", file_name);
        throw refusal("incomplete backup file", file_name);
    }
    if (stored_signature != add_position) throw refusal("incorrect backup signature", file_name);

    // The whole image and its checksum are read and checked first; the
    // blocks are overwritten only once the file is known to be sound.
    std::vector<unsigned char> image(add_position);
    if (std::fread(image.data(), 1, image.size(), file.get()) != image.size())
        throw refusal("incomplete backup file", file_name);
    restart_checksum::Record record{};
    const std::size_t trailer = std::fread(record.data(), 1, record.size(), file.get());
    if (std::ferror(file.get())) throw refusal("failed to open backup file", file_name);
    if (trailer == 0) {
        LOG_WARNING("backup file %s has no checksum: it is restored unchecked", file_name.c_str());
    } else {
        // Shorter or longer than its signature and a checksum say.
        if (trailer != record.size()) throw refusal("incomplete backup file", file_name);
        if (std::fgetc(file.get()) != EOF) throw refusal("incorrect backup signature", file_name);
        restart_checksum::Sum sum;
        sum.add(&stored_signature, sizeof stored_signature);
        sum.add(image.data(), image.size());
        if (restart_checksum::stored_sum(record) != sum.value()) throw refusal("damaged backup file", file_name);
    }

    const unsigned char* source = image.data();
    for (const backup_record& block : buf_table) {
        if (block.size > 0) std::memcpy(block.address, source, block.size);
        source += block.size;
    }
    prev_backup_fname = name;
}

namespace backup_detail {
void set_clock(ClockFunction clock) { clock_function = clock != nullptr ? clock : system_clock; }
void set_writer(WriteFunction writer) { write_function = writer != nullptr ? writer : stream_writer; }
}  // namespace backup_detail
