#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "fakes/fake_errors.h"

namespace tovrin::fakes {

// The shell's file operations over a set of existing paths. Every request is recorded as it was handed
// over. A result set for a source path is returned as it is, with nothing changed; so is a cancelled one
// (result 0, aborted), as when the user declines the shell's confirmation. Otherwise an existing path is
// deleted (with everything under it) or renamed, and the result is 0. A path that does not exist also
// gives 0 unless a test sets a result for it.
class FakeShell final : public ShellFileApi {
public:
    struct Request {
        std::uint32_t operation;
        std::string from;  // the text before the first NUL
        std::string to;
        bool hasTo;
        bool fromEndsInTwoNuls;
        bool toEndsInTwoNuls;
        bool fromZeroFilled;  // every byte after the text is NUL
        bool toZeroFilled;
        std::uint16_t flags;
        std::string progressTitle;
    };
    std::map<std::string, int> results;  // source path -> result
    std::set<std::string> cancelled;     // source paths whose confirmation the user declines
    std::set<std::string> existing;      // files and folders, full paths without a closing backslash
    std::vector<Request> requests;
    std::vector<std::string> createdDirectories;
    std::vector<std::string> log;        // "delete X", "rename X -> Y", "create X"

    ShellFileResult fileOperation(const ShellFileRequest& request) override {
        Request r{request.operation,
                  text(request.from),
                  text(request.to),
                  request.to != nullptr,
                  endsInTwoNuls(request.from),
                  endsInTwoNuls(request.to),
                  zeroFilled(request.from),
                  zeroFilled(request.to),
                  request.flags,
                  request.progressTitle ? request.progressTitle : ""};
        requests.push_back(r);
        log.push_back(r.operation == SHELL_OP_RENAME ? "rename " + r.from + " -> " + r.to : "delete " + r.from);
        auto it = results.find(r.from);
        if (it != results.end()) return {it->second, false};
        if (cancelled.count(r.from)) return {0, true};
        const std::string from = trimmed(r.from);
        std::vector<std::string> moved;
        for (auto p = existing.begin(); p != existing.end();) {
            if (*p == from || p->rfind(from + "\\", 0) == 0) {
                moved.push_back(p->substr(from.size()));
                p = existing.erase(p);
            } else {
                ++p;
            }
        }
        if (r.operation == SHELL_OP_RENAME) {
            for (const std::string& rest : moved) existing.insert(trimmed(r.to) + rest);
        }
        return {0, false};
    }
    int createDirectory(const std::string& ansiPath) override {
        createdDirectories.push_back(ansiPath);
        log.push_back("create " + ansiPath);
        if (!existing.insert(trimmed(ansiPath)).second) return 183;  // ERROR_ALREADY_EXISTS
        return 0;
    }

    bool exists(const std::string& path) const { return existing.count(trimmed(path)) != 0; }

private:
    static std::string trimmed(std::string path) {
        if (!path.empty() && path.back() == '\\') path.pop_back();
        return path;
    }
    static std::string text(const ShellPathBuffer* buffer) {
        if (!buffer) return "";
        std::size_t n = 0;
        while (n < buffer->size() && (*buffer)[n] != '\0') ++n;
        return std::string(buffer->data(), n);
    }
    static bool endsInTwoNuls(const ShellPathBuffer* buffer) {
        if (!buffer) return false;
        const std::size_t n = text(buffer).size();
        return n + 1 < buffer->size() && (*buffer)[n] == '\0' && (*buffer)[n + 1] == '\0';
    }
    static bool zeroFilled(const ShellPathBuffer* buffer) {
        if (!buffer) return false;
        for (std::size_t i = text(buffer).size(); i < buffer->size(); ++i) {
            if ((*buffer)[i] != '\0') return false;
        }
        return true;
    }
};

}  // namespace tovrin::fakes
