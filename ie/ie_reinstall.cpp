#include "ie/ie_repair.h"
#include "platform/platform.h"
#include "run/console_out.h"
#include "run/questions.h"

namespace tovrin {

namespace {

// A system directory with a blank in it is quoted, or cmd would run its first word. The ie.inf path needs
// no quotes: InstallHinfSection takes the rest of the line as it stands.
std::string commandPath(const std::string& path) {
    return path.find(' ') == std::string::npos ? path : "\"" + path + "\"";
}

}  // namespace

void offerIeReinstall(SystemFolders folders) {
    printText("As part of the repair process, Tovrin can try to reinstall IE.", true);
    std::string answer;
    askYesNo(answer, "Would you like to reinstall IE (Y/N)?", 1);
    if (answer != "Y") return;
    const std::string commandLine = commandPath(folders.systemDirectory + "\\rundll32.exe") +
                                    " setupapi,InstallHinfSection DefaultInstall 132 " + folders.windowsDirectory +
                                    "\\inf\\ie.inf";
    flushConsole();
    platform().commands->run(commandLine);
}

}  // namespace tovrin
