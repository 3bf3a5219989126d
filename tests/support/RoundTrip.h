#pragma once

#include "products/bootwarden/database/RegistryBackup.h"
#include "support/Files.h"
#include "support/Records.h"

#include <gtest/gtest.h>

#include <string>

// What every round trip of a registry value or a service ends with: a restart reads the entry of
// the type that was disabled, stored once; enabling it, as a later OK does, makes isBack hold and
// leaves nothing stored.
template <class Database, class Check>
void expectComesBack(const std::string& file, int type, Check isBack)
{
    products::bootwarden::database::RegistryBackup restarted(file);
    ASSERT_EQ(1u, restarted.getEntries(type).size()) << "stored once";
    Database(type, restarted).enable(restarted.getEntries(type).at(0));
    restarted.commit();
    isBack();
    EXPECT_EQ(dataFile({}), readFile(file)) << "and stored no more";
}
