#pragma once
// File permissions in force for the calling thread, also when the tests run as root: the
// capabilities that let root read and write past them are set aside for the scope.
#include <cstdint>

namespace talvenor::test {

class PermissionsInForce {
 public:
  PermissionsInForce();
  ~PermissionsInForce();
  PermissionsInForce(const PermissionsInForce&) = delete;
  PermissionsInForce& operator=(const PermissionsInForce&) = delete;

 private:
  bool m_changed = false;
  std::uint32_t m_effective[2] = {};
};

}  // namespace talvenor::test
