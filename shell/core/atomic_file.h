#pragma once

#include <string>
#include <string_view>
#include <system_error>

namespace tn {

// Replaces a file so that, whatever happens meanwhile (crash, kill, power loss), the path holds
// either the complete old content or the complete new content, never a mixture or a truncated file.
//
// The bytes go to a temporary file in the target's folder; commit() syncs it, renames it over the
// target and syncs the folder. Any failure, or destruction without commit(), removes the temporary
// and leaves the target untouched. Not copyable; one object per save.
//
// A writer that is killed cannot clean up after itself, so temporaries are made to vanish on their
// own or to be recognisable as strays:
//  - Where the file system allows it the temporary has no name while it is written (O_TMPFILE); it
//    is given one only just before the rename, so a killed writer nearly always leaves nothing.
//  - A named temporary is called ".<target name>.tmp-<pid>-<suffix>", <pid> being the writer's
//    process. Every save first removes the temporaries of its own target whose writer no longer
//    runs. (All writers of a folder are assumed to share one process-id namespace.)
class AtomicFile {
public:
    explicit AtomicFile(std::string target_path);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Appends bytes. After the first failure every later call is ignored and commit() reports it.
    void write(std::string_view bytes);
    // Publishes the new content. Returns the first error met, if any; on error the old file stays.
    std::error_code commit();

    const std::string& targetPath() const { return target_; }

private:
    void fail(int error_number);
    void discard();

    void giveTemporaryAName();

    std::string target_;
    std::string temp_;  // empty while the temporary has no name
    int fd_ = -1;
    std::error_code error_;
    bool done_ = false;
};

// The whole save in one call.
std::error_code writeFileAtomically(const std::string& path, std::string_view bytes);

// Reads a whole file. Returns false (and leaves out empty) when it cannot be opened or read.
bool readWholeFile(const std::string& path, std::string& out);

}  // namespace tn
