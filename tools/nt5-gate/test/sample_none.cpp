#include <string>

std::string laterApi() { return ""; }
