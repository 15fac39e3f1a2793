#pragma once

namespace testsupport {

// Points HOME and the XDG folders at a fresh folder of this process's own, removed when the
// process ends, so that nothing a test or a library it loads writes (Qt's settings, the sound
// client's runtime link that espeak-ng's audio set-up leaves, font caches) lands in the real
// home folder, however the test program is started. Call first thing in main.
void UseScratchHome();

} // namespace testsupport
