// The package folders of a driver repository and the INF path of each.
#pragma once

#include <string>
#include <vector>

namespace infsurvey {

// Paths of the sub-folders of `repository_folder` whose names do not begin
// with ".", in the file system's order, each the folder text followed
// directly by the entry name. The folder text is a prefix as it stands:
// "C:\Drivers" lists the entries of C:\ that begin with "Drivers". Empty
// when the folder cannot be listed.
std::vector<std::string> ListPackageFolders(const std::string& repository_folder);

// The INF a package folder should hold: the folder, a separator, the
// lower-cased base name up to its first ".inf", and ".inf". Empty when the
// base name holds no ".inf".
std::string InfPathOf(const std::string& package_folder);

}  // namespace infsurvey
