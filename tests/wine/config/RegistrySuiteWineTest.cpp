// The shared registry cases against the real registry, below both roots the add-on writes to.
#include <windows.h>

#include <memory>

#include "platform/Platform.h"
#include "tests/shared/RegistrySuite.h"

namespace {

std::shared_ptr<IRegistry> RealRegistry() {
    return std::shared_ptr<IRegistry>(&DefaultRegistry(), [](IRegistry*) {});
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(
    Wine, RegistrySuite,
    ::testing::Values(
        RegistryTarget{"CurrentUser", RealRegistry, HKEY_CURRENT_USER,
                       "Software\\Trevanel Registry Suite"},
        RegistryTarget{"DefaultUser", RealRegistry, HKEY_USERS,
                       ".DEFAULT\\Software\\Trevanel Registry Suite"}),
    [](const ::testing::TestParamInfo<RegistryTarget>& info) { return info.param.name; });
