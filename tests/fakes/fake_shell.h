#pragma once

#include <map>
#include <string>
#include <vector>

#include "fakes/fake_errors.h"

namespace tovrin::fakes {

// Records every shell request as it was handed over; answers with a result chosen per source path
// (0 unless a test sets one).
class FakeShell final : public ShellFileApi {
public:
    struct Request {
        std::uint32_t operation;
        std::string from;  // the text before the first NUL
        std::string to;
        bool fromEndsInTwoNuls;
        bool toEndsInTwoNuls;
        std::uint16_t flags;
        std::string progressTitle;
    };
    std::map<std::string, int> results;  // source path -> result
    std::vector<Request> requests;
    std::vector<std::string> createdDirectories;

    int fileOperation(const ShellFileRequest& request) override {
        Request r{request.operation, text(request.from), text(request.to), endsInTwoNuls(request.from),
                  endsInTwoNuls(request.to), request.flags, request.progressTitle ? request.progressTitle : ""};
        requests.push_back(r);
        auto it = results.find(r.from);
        return it == results.end() ? 0 : it->second;
    }
    int createDirectory(const std::string& ansiPath) override {
        createdDirectories.push_back(ansiPath);
        return 0;
    }

private:
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
};

}  // namespace tovrin::fakes
