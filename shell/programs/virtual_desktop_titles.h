#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/windows.h"

namespace tn {

// Titles are kept to this many characters (UTF-8 code points); longer ones are cut.
inline constexpr std::size_t kLongestWindowTitle = 254;

// title cut to kLongestWindowTitle characters. A cut never splits a character's bytes.
std::string cutWindowTitle(std::string_view title);

// Whole-title comparison ignoring letter case: ASCII, Latin-1, Latin Extended-A, Greek and
// Cyrillic letters fold to lower case; every other character compares as it is.
bool sameTitleIgnoringCase(std::string_view a, std::string_view b);

// The folder a pending shortcut target starts in, with its trailing "/": the folder of the file
// that program names, or, when no file has that name, of the first word of the command line it
// holds (see splitCommandLine). Empty when there is no folder in it (the current one then applies).
std::string startFolder(const std::string& program);

// The virtual desktop's view of the other programs' windows. It tells the windows of programs
// started while it is open from those that were there before by their titles: it records the titles
// present when it opens, and every visible window whose title was not recorded belongs to a program
// started since. Windows are looked up again by title at every step, as window ids do not last.
//
// A visible window is one on screen or minimised: a minimised window is still shown by its program,
// and bringing such windows back is what the restore step is for. Titles are cut to
// kLongestWindowTitle characters; windows without a title are never recorded.
// Windows the predicate `own_window` accepts (the shell's own) are neither recorded nor touched.
class VirtualDesktopTitles {
public:
    explicit VirtualDesktopTitles(IWindows& windows, std::function<bool(IWindows::Id)> own_window = {});

    // Fills OriginalListBox with the titles of every top-level window, or of the visible ones only,
    // in the order the windows are listed.
    void takeOriginal(bool visible_only);
    // Takes the visible titles into NewListBox and copies into DifferenceListBox, in order, every
    // one that is not in OriginalListBox (ignoring letter case). A title that occurs twice in
    // NewListBox is copied twice.
    void difference();
    // difference(), then, for each title of DifferenceListBox, the first window with that title is
    // shown normally (un-minimised and activated) unless it is the foreground window.
    void restore();
    // When OriginalListBox is not empty: difference(), then each title of DifferenceListBox sends a
    // close request to the first window with that title, without waiting for an answer. Returns
    // whether it ran; with nothing recorded yet it closes nothing.
    bool closeNew();

    std::vector<std::string> OriginalListBox;
    std::vector<std::string> NewListBox;
    std::vector<std::string> DifferenceListBox;

private:
    std::vector<std::string> snapshot(bool visible_only);
    // The first window (visible or not) whose title, cut like the recorded ones, is exactly title.
    std::optional<IWindows::Id> find(const std::string& title,
                                     const std::vector<IWindows::Window>& all) const;
    bool own(IWindows::Id id) const { return own_window_ && own_window_(id); }

    IWindows& windows_;
    std::function<bool(IWindows::Id)> own_window_;
};

}  // namespace tn
