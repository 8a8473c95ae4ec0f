#include "support/PermissionsInForce.h"

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <initializer_list>

namespace talvenor::test {
namespace {

// Raw calls on purpose: they act on this thread alone, which is where the engine runs.
bool GetCaps(__user_cap_data_struct (&data)[2]) {
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  return ::syscall(SYS_capget, &header, data) == 0;
}
bool SetCaps(__user_cap_data_struct (&data)[2]) {
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  return ::syscall(SYS_capset, &header, data) == 0;
}

}  // namespace

PermissionsInForce::PermissionsInForce() {
  __user_cap_data_struct data[2] = {};
  if (!GetCaps(data)) return;
  m_effective[0] = data[0].effective;
  m_effective[1] = data[1].effective;
  for (const int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER})
    data[cap / 32].effective &= ~(1u << (cap % 32));
  m_changed = SetCaps(data);
}

PermissionsInForce::~PermissionsInForce() {
  if (!m_changed) return;
  __user_cap_data_struct data[2] = {};
  if (!GetCaps(data)) return;
  data[0].effective = m_effective[0];
  data[1].effective = m_effective[1];
  SetCaps(data);
}

}  // namespace talvenor::test
