// The command lines of the reference downloaders, run without a shell.
#pragma once

#include <string>
#include <vector>

namespace tarnwick::bench {

// aria2c fetching `url` into `folder`/`name` over `connections` connections.
std::vector<std::string> Aria2Command(const std::string& program, const std::string& folder,
                                      const std::string& name, const std::string& url,
                                      int connections);

// curl fetching `url` into `output` over one connection.
std::vector<std::string> CurlCommand(const std::string& program, const std::string& output,
                                     const std::string& url);

} // namespace tarnwick::bench
