#pragma once

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>

// Start-up steps with their time since the first mark, on standard error,
// when MURMELIN_TRACE_STARTUP is set: to see what a first window waits for.
// Costs nothing otherwise.
namespace StartupTrace {

inline void Mark(const char* step)
{
    static const bool on = std::getenv("MURMELIN_TRACE_STARTUP") != nullptr;
    if (!on)
        return;
    timespec cpu{};
    timespec now{};
    // The process's processor time counts from exec, dynamic linking included.
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
    clock_gettime(CLOCK_MONOTONIC, &now);
    static const timespec first = now;
    const double wallMs = double(now.tv_sec - first.tv_sec) * 1e3 + double(now.tv_nsec - first.tv_nsec) / 1e6;
    const double cpuMs = double(cpu.tv_sec) * 1e3 + double(cpu.tv_nsec) / 1e6;
    std::fprintf(stderr, "%s start-up: %8.1f ms (cpu %7.1f ms) %s\n", program_invocation_short_name, wallMs, cpuMs,
                 step);
}

} // namespace StartupTrace
