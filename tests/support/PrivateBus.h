#pragma once

namespace testsupport {

// The configuration of a bus daemon a test starts for itself, with an open policy, so that
// nothing depends on the machine's system or session bus; %1 is the path of its socket.
inline constexpr const char* PrivateBusConfig =
    R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-BUS Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:path=%1</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)";

} // namespace testsupport
