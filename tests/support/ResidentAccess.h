#pragma once

#include "shell/TMiruberoMainForm.h"

#include <vector>

namespace testsupport {

// Lets tests and benchmarks put the monitor into the state a scenario starts from.
struct ResidentAccess {
    static shell::MonitorState& State(shell::Monitor& monitor) { return monitor.m_state; }
    static std::vector<shell::KomokuAlarm>& Alarms(shell::Monitor& monitor) { return monitor.m_alarms; }
};

inline shell::MonitorState& State(shell::TMiruberoMainForm& form)
{
    return ResidentAccess::State(form.Monitor());
}

inline std::vector<shell::KomokuAlarm>& Alarms(shell::TMiruberoMainForm& form)
{
    return ResidentAccess::Alarms(form.Monitor());
}

} // namespace testsupport
