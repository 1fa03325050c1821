// Delete, delete-and-recreate and rename-aside through the shell, with the non-fatal error dialogue.
// Each returns 0 when the caller may go on, 1 when the user chose to stop (status then holds errorCode).
#pragma once

#include <string>

namespace tovrin {

int flushFolder(std::string path, std::string displayName, std::string errorCode, std::string& status);
int flushAndRecreateFolder(std::string path, std::string displayName, std::string errorCode, std::string& status);
int renameToOld(std::string path, std::string displayName, std::string errorCode, std::string timeStamp,
                std::string& status);

}  // namespace tovrin
