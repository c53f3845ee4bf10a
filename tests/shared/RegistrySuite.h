// One registry test suite for every IRegistry: natively against the in-memory registry, under
// Wine against the real one, so that the in-memory twin is held to what the real registry does.
// Instantiate it with INSTANTIATE_TEST_SUITE_P(Name, RegistrySuite, ::testing::Values(target...)).
#pragma once

#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "platform/Registry.h"

struct RegistryTarget {
    std::string name;  // shown in the test names
    // Gives the registry for one test; a fresh one or a shared one (with a no-op deleter).
    std::function<std::shared_ptr<IRegistry>()> make;
    HKEY root;
    // Each test creates and removes its own key below root\base.
    std::string base;
};

inline std::ostream& operator<<(std::ostream& out, const RegistryTarget& target) {
    return out << target.name;
}

class RegistrySuite : public ::testing::TestWithParam<RegistryTarget> {
protected:
    void SetUp() override;
    void TearDown() override;

    IRegistry& Reg() { return *m_registry; }
    // The test's own key below the target's root, as a path from that root.
    std::string Path(const std::string& below = std::string()) const;
    // A handle to the test's key (or a key below it), created if needed; closed at TearDown.
    HKEY Key(const std::string& below = std::string());

    std::shared_ptr<IRegistry> m_registry;
    std::string m_path;

private:
    std::vector<HKEY> m_open;
};
