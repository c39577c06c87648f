// Services: [services] and <state>/services.txt as the manager's table;
// administrators stop and delete (recorded for every process), other users
// only read; 9x has no manager; bad names and handles fail.
#include "win/services.h"

#include <gtest/gtest.h>

#include "platform/files.h"
#include "win/error.h"
#include "win/files.h"  // shares the generic rights with services.h
#include "win_testing/test_machine.h"

namespace {

using win_testing::TestMachine;

const char* kServicesIni = "[services]\nCvLm = running\nSpooler = stopped\n";

std::string store(const TestMachine& m) { return TestMachine::readText(m.stateDir() + "/services.txt"); }

TEST(ServicesTest, AnAdministratorStopsAndDeletesAServiceForEveryProcess) {
  TestMachine m(kServicesIni);
  win::SC_HANDLE scm =
      win::OpenSCManager(nullptr, nullptr, win::GENERIC_READ | win::GENERIC_WRITE | win::GENERIC_EXECUTE);
  ASSERT_NE(scm, nullptr) << win::GetLastError();
  win::SC_HANDLE svc = win::OpenService(scm, "cvlm", win::SERVICE_STOP | win::DELETE | win::SERVICE_QUERY_STATUS);
  ASSERT_NE(svc, nullptr) << win::GetLastError();
  win::SERVICE_STATUS status{};
  ASSERT_TRUE(win::QueryServiceStatus(svc, &status));
  EXPECT_EQ(status.dwCurrentState, win::SERVICE_RUNNING);
  EXPECT_EQ(status.dwControlsAccepted, win::SERVICE_ACCEPT_STOP);
  ASSERT_TRUE(win::ControlService(svc, win::SERVICE_CONTROL_STOP, &status));
  EXPECT_EQ(status.dwCurrentState, win::SERVICE_STOPPED);
  EXPECT_EQ(store(m), "CvLm\tstopped\n");
  EXPECT_FALSE(win::ControlService(svc, win::SERVICE_CONTROL_STOP, &status));
  EXPECT_EQ(win::GetLastError(), win::ERROR_SERVICE_NOT_ACTIVE);
  ASSERT_TRUE(win::DeleteService(svc));
  EXPECT_EQ(store(m), "CvLm\tdeleted\n");
  EXPECT_FALSE(win::DeleteService(svc));
  EXPECT_EQ(win::GetLastError(), win::ERROR_SERVICE_MARKED_FOR_DELETE);
  EXPECT_TRUE(win::QueryServiceStatus(svc, &status));
  EXPECT_EQ(status.dwCurrentState, win::SERVICE_STOPPED);
  EXPECT_TRUE(win::CloseServiceHandle(svc));
  EXPECT_FALSE(win::CloseServiceHandle(svc));
  EXPECT_EQ(win::GetLastError(), win::ERROR_INVALID_HANDLE);
  EXPECT_TRUE(win::CloseServiceHandle(scm));

  win::MachineScope otherProcess(m.stateDir());
  scm = win::OpenSCManager(nullptr, nullptr, win::SC_MANAGER_CONNECT);
  EXPECT_EQ(win::OpenService(scm, "CvLm", win::SERVICE_QUERY_STATUS), nullptr);
  EXPECT_EQ(win::GetLastError(), win::ERROR_SERVICE_DOES_NOT_EXIST);
  EXPECT_NE(win::OpenService(scm, "Spooler", win::SERVICE_QUERY_STATUS), nullptr);
}

struct AccessCase {
  win::DWORD managerAccess;
  win::DWORD serviceAccess;
  bool managerOpens;
  bool serviceOpens;
};

TEST(ServicesTest, OtherUsersOnlyRead) {
  TestMachine m(std::string(kServicesIni) + "[system]\nadmin = 0\n");
  const AccessCase cases[] = {
      {win::GENERIC_READ | win::GENERIC_WRITE | win::GENERIC_EXECUTE, 0, false, false},
      {win::SC_MANAGER_ALL_ACCESS, 0, false, false},
      {win::SC_MANAGER_CONNECT, win::SERVICE_STOP | win::DELETE, true, false},
      {win::SC_MANAGER_CONNECT, win::SERVICE_QUERY_STATUS, true, true},
      {win::GENERIC_READ, win::GENERIC_READ, true, true},
      {win::GENERIC_READ, win::GENERIC_EXECUTE, true, false},
  };
  for (const auto& c : cases) {
    win::SC_HANDLE scm = win::OpenSCManager(nullptr, nullptr, c.managerAccess);
    EXPECT_EQ(scm != nullptr, c.managerOpens) << c.managerAccess;
    if (!scm) {
      EXPECT_EQ(win::GetLastError(), win::ERROR_ACCESS_DENIED);
      continue;
    }
    win::SC_HANDLE svc = win::OpenService(scm, "CvLm", c.serviceAccess);
    EXPECT_EQ(svc != nullptr, c.serviceOpens) << c.serviceAccess;
    if (svc) {
      win::CloseServiceHandle(svc);
    } else {
      EXPECT_EQ(win::GetLastError(), win::ERROR_ACCESS_DENIED);
    }
    win::CloseServiceHandle(scm);
  }
}

struct OpenErrorCase {
  const char* machine;
  const char* database;
  const char* service;
  win::DWORD error;
};

TEST(ServicesTest, RefusesUnknownServicesMachinesAndDatabases) {
  TestMachine m(kServicesIni);
  platform::writeFileAtomic(m.stateDir() + "/services.txt", "Extra\trunning\nmalformed line\n");
  const OpenErrorCase cases[] = {
      {nullptr, nullptr, "extra", 0},
      {"", "ServicesActive", "CvLm", 0},
      {nullptr, nullptr, "NoSuchService", win::ERROR_SERVICE_DOES_NOT_EXIST},
      {nullptr, nullptr, "", win::ERROR_INVALID_NAME},
      {"\\\\other", nullptr, "CvLm", win::RPC_S_SERVER_UNAVAILABLE},
      {nullptr, "OtherDatabase", "CvLm", win::ERROR_DATABASE_DOES_NOT_EXIST},
  };
  for (const auto& c : cases) {
    win::SetLastError(0);
    win::SC_HANDLE scm = win::OpenSCManager(c.machine, c.database, win::SC_MANAGER_CONNECT);
    win::SC_HANDLE svc = scm ? win::OpenService(scm, c.service, win::SERVICE_QUERY_STATUS) : nullptr;
    EXPECT_EQ(svc != nullptr, c.error == 0) << c.service;
    EXPECT_EQ(win::GetLastError(), c.error) << c.service;
    if (svc) win::CloseServiceHandle(svc);
    if (scm) win::CloseServiceHandle(scm);
  }
  win::SERVICE_STATUS status{};
  EXPECT_FALSE(win::QueryServiceStatus(win::handleFromValue<win::SC_HANDLE>(4), &status));
  EXPECT_EQ(win::GetLastError(), win::ERROR_INVALID_HANDLE);
}

TEST(ServicesTest, A9xMachineHasNoServiceManager) {
  TestMachine m("[system]\nplatform = 9x\n");
  EXPECT_EQ(win::OpenSCManager(nullptr, nullptr, win::SC_MANAGER_CONNECT), nullptr);
  EXPECT_EQ(win::GetLastError(), win::ERROR_CALL_NOT_IMPLEMENTED);
}

}  // namespace
