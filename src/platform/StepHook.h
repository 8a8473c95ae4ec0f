#pragma once
// Named points inside file operations where a test may act: kill the process (crash tests) or
// swap an entry for a link (race tests). Set through SetCopyStepHookForTest (FileCopy.h).
namespace talvenor::platform {

void Step(const char* name);

}  // namespace talvenor::platform
