#pragma once

#include <string>
#include <vector>

#include "platform/system.h"

namespace tn {

// Opening files, shortcuts, addresses and programs the way a Linux desktop does.
//
// open(verb, file, parameters, working_folder), for the verb "" or "open" (any letter case; other
// verbs have no counterpart here and fail):
// - a ".desktop" entry runs its Exec command (field codes removed) in its Path folder, or in
//   working_folder when it names none;
// - a ".lnk" shell link opens its target as below, in the link's working folder when it has one
//   (a link whose target is another link fails);
// - a regular file this user may execute runs, with `parameters` as its arguments (split as an
//   Exec line is);
// - any other existing file or folder, and an address with a scheme ("https:", "mailto:"), is handed
//   to the opener program (xdg-open), which starts the user's program for it;
// - a name that is no file is read as a command line as desktop entries write it ("gimp",
//   "/usr/bin/game --fullscreen"): shortcut targets taken from desktop entries look like that.
//   Anything else fails.
// start(program, working_folder) runs program, the path of an executable taken as it stands, or,
// when no file has that name, the command line it holds as above.
//
// Every program runs detached: in a session of its own, with standard input from /dev/null, the
// shell's other descriptors closed, default signal handling and the shell's environment; the shell
// never has to reap it. A call succeeds once the program's exec has succeeded; it fails when the
// program or the working folder cannot be found or used. For a document or an address that success
// is the opener's start: whether the opener finds a program for it is not waited for.
class LinuxShellOpen final : public IShellOpen {
public:
    // links reads the shortcuts; opener is the program that documents and addresses are given to,
    // found in PATH when it holds no "/".
    explicit LinuxShellOpen(IShellLinks& links, std::string opener = "xdg-open");

    bool open(const std::string& verb, const std::string& file, const std::string& parameters,
              const std::string& working_folder) override;
    bool start(const std::string& program, const std::string& working_folder) override;

    // Runs arguments[0] (found in PATH when it holds no "/") with the arguments, detached as above.
    static bool spawnDetached(const std::vector<std::string>& arguments, const std::string& working_folder);

private:
    bool openFile(const std::string& file, const std::string& parameters, const std::string& working_folder,
                  bool follow_links);

    IShellLinks& links_;
    std::string opener_;
};

}  // namespace tn
