// Every fake platform group in one place, installed for the life of a test, with console streams that
// take typed input and keep the whole transcript.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "fakes/fake_clock.h"
#include "fakes/fake_commands.h"
#include "fakes/fake_console.h"
#include "fakes/fake_errors.h"
#include "fakes/fake_loader.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_services.h"
#include "fakes/fake_shell.h"
#include "fakes/fake_system_info.h"
#include "fakes/fake_url_cache.h"
#include "fakes/fake_url_history.h"
#include "fakes/string_console.h"
#include "run/console_out.h"
#include "run/questions.h"
#include "run/run_status.h"

namespace tovrin::fakes {

class FakePlatform {
public:
    FakeLastError errors;
    FakeConsole console{errors};
    FakeSystemInfo system{errors};
    FakeRegistry registry{errors};
    FakeShell shell;
    FakeServices services{errors};
    FakeClock clock{errors};
    FakeLoader loader{errors};
    FakeUrlCache urlCache{errors};
    FakeUrlHistory urlHistory;
    FakeCommands commands;

    std::istringstream in;
    std::ostringstream out;
    StreamWriter outWriter{out};
    StreamReader inReader{in};

    // Installs the fakes, points the console at the string streams, and sets the run-wide state back to
    // that of a fresh process on Windows XP.
    FakePlatform() {
        Platform p;
        p.console = &console;
        p.system = &system;
        p.registry = &registry;
        p.shell = &shell;
        p.services = &services;
        p.clock = &clock;
        p.loader = &loader;
        p.urlCache = &urlCache;
        p.urlHistory = &urlHistory;
        p.commands = &commands;
        p.errors = &errors;
        installPlatform(p);
        saved = consoleStreams();
        consoleStreams() = ConsoleStreams{&outWriter, &inReader, false};
        resetInputEnded();
        RunStatus = STATUS_RUNNING;
        setPlatformVersion(5, 1);
    }
    ~FakePlatform() {
        consoleStreams() = saved;
        installPlatform(Platform{});
        resetInputEnded();
        RunStatus = STATUS_RUNNING;
    }
    FakePlatform(const FakePlatform&) = delete;
    FakePlatform& operator=(const FakePlatform&) = delete;

    // What the user types, all of it, before the code under test runs.
    void type(const std::string& input) {
        in.str(input);
        in.clear();
    }
    void setPlatformVersion(std::uint32_t major, std::uint32_t minor) {
        PlatformVersion.major = major;
        PlatformVersion.minor = minor;
        system.version.majorVersion = major;
        system.version.minorVersion = minor;
    }
    std::string transcript() const { return out.str(); }
    // The transcript cut into lines at each line feed; a last piece without one is kept as a line.
    std::vector<std::string> lines() const {
        std::vector<std::string> result;
        std::string text = out.str();
        std::size_t start = 0;
        while (start < text.size()) {
            std::size_t end = text.find('\n', start);
            if (end == std::string::npos) {
                result.push_back(text.substr(start));
                break;
            }
            result.push_back(text.substr(start, end - start));
            start = end + 1;
        }
        return result;
    }

private:
    ConsoleStreams saved{};
};

}  // namespace tovrin::fakes
