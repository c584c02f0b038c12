#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace chronova {

/// Registers the extension's classes in the host's component categories, so that the host loads them: the
/// extension among the extensions, the time toolbar among the commands and among the dockable windows. The
/// classes' ProgIDs must be registered in the process first (RegisterExtensionProgIds).
class CategoryInstall {
public:
    /// The description of the error the last Install passed on; "" after one that completed.
    const std::string& ErrorMessage() const noexcept { return m_ErrorMessage; }

    /// Puts the classes into their categories (bInstall true) or takes them out (false). sCustomOptions is
    /// accepted for installers that pass options and is not used. Returns 0 when it completes; a failure is
    /// passed on to the caller with its call stack (and kept in ErrorMessage).
    int32_t Install(bool bInstall, std::string_view sCustomOptions = {});

private:
    std::string m_ErrorMessage;
};

} // namespace chronova
