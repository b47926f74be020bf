// Names of the host's automation servers and of the members this module's
// family calls on them.
#pragma once

namespace TarnCore {

inline constexpr const char* FuncStorageProgID = "TarnCore.FuncStorage";
inline constexpr const char* DataCtlProgID = "TarnCore.DataCtl";

// The member of the host's prompt object that shows a message.
inline constexpr const char* PromptMember = "Prompt";

}  // namespace TarnCore
