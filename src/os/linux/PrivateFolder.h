// Folders of this user's alone, such as the private temporary folder.
#pragma once

#include <string>

namespace lumora {

// Makes sure folder is a folder of this user's alone: created with mode
// 0700 when missing; refused when it is a link or something other than a
// folder, or belongs to anyone else; group and other permissions dropped
// when it is ours. Raises Exception, saying which, when it cannot be used.
void MakePrivateFolder(const std::string& folder);

}  // namespace lumora
