#include "resolve/page_file.h"

#include <fstream>
#include <iterator>

namespace tarnwick::resolve {

std::string ReadPageFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw PageFileError("the page file cannot be opened: " + path);
    std::string page((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw PageFileError("the page file cannot be read: " + path);
    if (page.empty()) throw PageFileError("the page file is empty: " + path);
    return page;
}

} // namespace tarnwick::resolve
