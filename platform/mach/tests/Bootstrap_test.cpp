// The bootstrap name service within one process and across system roots.
#include <MachPortRights.h>
#include <gtest/gtest.h>
#include <mach/mach.h>
#include <servers/bootstrap.h>

#include <cstdlib>
#include <string>

#include "TemporaryRoot.h"

namespace {

using moxicam::test::portType;

TEST(Bootstrap, ALookUpOfOwnServiceGivesTheServicePortsName) {
  mach_port_t service = MACH_PORT_NULL, found = MACH_PORT_NULL;
  ASSERT_EQ(bootstrap_check_in(bootstrap_port, "com.example.own", &service), BOOTSTRAP_SUCCESS);
  EXPECT_EQ(portType(service), MACH_PORT_TYPE_RECEIVE);
  ASSERT_EQ(bootstrap_look_up(bootstrap_port, "com.example.own", &found), BOOTSTRAP_SUCCESS);
  EXPECT_EQ(found, service);
  EXPECT_EQ(portType(service), MACH_PORT_TYPE_SEND_RECEIVE);
  mach_port_destroy(mach_task_self(), service);
}

TEST(Bootstrap, ANameIsServedOnceAndFreedWithItsPort) {
  mach_port_t service = MACH_PORT_NULL, second = MACH_PORT_NULL, found = MACH_PORT_NULL;
  ASSERT_EQ(bootstrap_check_in(bootstrap_port, "com.example.once", &service), BOOTSTRAP_SUCCESS);
  EXPECT_EQ(bootstrap_check_in(bootstrap_port, "com.example.once", &second), BOOTSTRAP_SERVICE_ACTIVE);
  EXPECT_EQ(portType(service), MACH_PORT_TYPE_RECEIVE) << "a refused check-in leaves the first alone";
  mach_port_destroy(mach_task_self(), service);
  EXPECT_EQ(bootstrap_look_up(bootstrap_port, "com.example.once", &found), BOOTSTRAP_UNKNOWN_SERVICE);
  ASSERT_EQ(bootstrap_check_in(bootstrap_port, "com.example.once", &second), BOOTSTRAP_SUCCESS);
  mach_port_destroy(mach_task_self(), second);
}

TEST(Bootstrap, BadNamesAndCallsAreRefused) {
  mach_port_t port = MACH_PORT_NULL;
  const std::string tooLong(128, 'x');
  EXPECT_EQ(bootstrap_look_up(bootstrap_port, "com.example.nobody", &port), BOOTSTRAP_UNKNOWN_SERVICE);
  EXPECT_EQ(bootstrap_look_up(bootstrap_port, "", &port), BOOTSTRAP_UNKNOWN_SERVICE);
  EXPECT_EQ(bootstrap_look_up(bootstrap_port, nullptr, &port), BOOTSTRAP_UNKNOWN_SERVICE);
  EXPECT_EQ(bootstrap_check_in(bootstrap_port, tooLong.c_str(), &port), BOOTSTRAP_NOT_PRIVILEGED);
  EXPECT_EQ(bootstrap_check_in(bootstrap_port, "com.example.x", nullptr), KERN_INVALID_ARGUMENT);
  EXPECT_EQ(bootstrap_check_in(MACH_PORT_NULL, "com.example.x", &port), KERN_INVALID_ARGUMENT);
  EXPECT_EQ(port, MACH_PORT_NULL);
}

TEST(Bootstrap, ALongNameIsServedToo) {
  const std::string name = "com.example." + std::string(110, 'n');
  mach_port_t service = MACH_PORT_NULL, found = MACH_PORT_NULL;
  ASSERT_EQ(bootstrap_check_in(bootstrap_port, name.c_str(), &service), BOOTSTRAP_SUCCESS);
  EXPECT_EQ(bootstrap_look_up(bootstrap_port, name.c_str(), &found), BOOTSTRAP_SUCCESS);
  EXPECT_EQ(found, service);
  mach_port_destroy(mach_task_self(), service);
}

TEST(Bootstrap, AnotherSystemRootHasItsOwnNames) {
  mach_port_t service = MACH_PORT_NULL, found = MACH_PORT_NULL;
  ASSERT_EQ(bootstrap_check_in(bootstrap_port, "com.example.rooted", &service), BOOTSTRAP_SUCCESS);
  {
    moxicam::test::TemporaryRoot other;
    EXPECT_EQ(bootstrap_look_up(bootstrap_port, "com.example.rooted", &found), BOOTSTRAP_UNKNOWN_SERVICE);
    mach_port_t elsewhere = MACH_PORT_NULL;
    ASSERT_EQ(bootstrap_check_in(bootstrap_port, "com.example.rooted", &elsewhere), BOOTSTRAP_SUCCESS);
    mach_port_destroy(mach_task_self(), elsewhere);
  }
  EXPECT_EQ(bootstrap_look_up(bootstrap_port, "com.example.rooted", &found), BOOTSTRAP_SUCCESS);
  mach_port_destroy(mach_task_self(), service);
}

}  // namespace
