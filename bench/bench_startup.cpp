// Start-up as a user feels it: from starting the program to its main window
// appearing on the X display, and the memory the idle program holds.
//
//   xvfb-run -a build/bin/bench_startup [runs]
//
// Each run starts build/bin/murmelin in a private HOME, waits for its window
// to be mapped, lets it idle for five seconds after the start (what is put
// off until after the first paint has loaded by then), reads its resident
// and proportional memory, whether an OpenGL driver or the web engine got
// mapped or the desktop speech service spawned, and closes it the way a
// window manager would (WM_DELETE_WINDOW), so the next run starts with the
// settings the previous one saved.

#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <dirent.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

std::string programPath(const char* self)
{
    std::string dir = self;
    const auto slash = dir.rfind('/');
    dir = slash == std::string::npos ? std::string(".") : dir.substr(0, slash);
    return dir + "/murmelin";
}

xcb_atom_t atom(xcb_connection_t* c, const char* name)
{
    xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::strlen(name), name), nullptr);
    const xcb_atom_t a = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(r);
    return a;
}

std::string windowName(xcb_connection_t* c, xcb_window_t w)
{
    xcb_get_property_reply_t* r = xcb_get_property_reply(
        c, xcb_get_property(c, 0, w, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 256), nullptr);
    std::string name;
    if (r) {
        name.assign(static_cast<const char*>(xcb_get_property_value(r)), xcb_get_property_value_length(r));
        std::free(r);
    }
    return name;
}

// A field of /proc/<pid>/smaps_rollup ("Rss:", "Pss:") in kB.
long rollupKb(pid_t pid, const std::string& field)
{
    std::ifstream rollup("/proc/" + std::to_string(pid) + "/smaps_rollup");
    std::string line;
    while (std::getline(rollup, line))
        if (line.rfind(field, 0) == 0)
            return std::strtol(line.c_str() + field.size(), nullptr, 10);
    return -1;
}

// Every process running now.
std::vector<pid_t> allProcesses()
{
    std::vector<pid_t> pids;
    if (DIR* proc = opendir("/proc")) {
        while (const dirent* entry = readdir(proc))
            if (const pid_t pid = std::atoi(entry->d_name); pid > 0)
                pids.push_back(pid);
        closedir(proc);
    }
    return pids;
}

// The first line of /proc/<pid>/<file>, or nothing once the process is gone.
std::string procLine(pid_t pid, const char* file)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/" + file);
    std::string line;
    std::getline(in, line);
    return line;
}

// `root` and every process it started, and theirs (the browser program
// and its engine's helpers, say).
std::vector<pid_t> processTree(pid_t root)
{
    std::vector<std::pair<pid_t, pid_t>> parents;   // (pid, parent)
    for (const pid_t pid : allProcesses()) {
        // "pid (name) state ppid ...": the name may hold spaces.
        const std::string line = procLine(pid, "stat");
        const auto close = line.rfind(')');
        if (close == std::string::npos || close + 4 > line.size())
            continue;
        parents.emplace_back(pid, std::atoi(line.c_str() + close + 4));
    }
    std::vector<pid_t> tree{root};
    for (size_t i = 0; i < tree.size(); ++i)
        for (const auto& [pid, parent] : parents)
            if (parent == tree[i])
                tree.push_back(pid);
    return tree;
}

// The desktop speech service's daemons running now. A program that talks
// to the service has it spawned outside its own process tree.
std::vector<pid_t> speechServices()
{
    std::vector<pid_t> found;
    for (const pid_t pid : allProcesses())
        if (procLine(pid, "comm").rfind("speech-dispatch", 0) == 0)
            found.push_back(pid);
    return found;
}

// The OpenGL drivers and the web engine mapped by the program, by file
// name: the vendor-neutral dispatchers Qt's GUI library links do not count.
std::string heavyLibraries(pid_t pid)
{
    static const char* const kHeavy[] = {"libQt6WebEngine", "libLLVM", "libgallium", "_dri.so",
                                         "libGLX_mesa", "libEGL_mesa", "libglapi", "libqxcb-glx-integration",
                                         "libqxcb-egl-integration"};
    std::ifstream maps("/proc/" + std::to_string(pid) + "/maps");
    std::string line;
    std::vector<std::string> found;
    while (std::getline(maps, line)) {
        const auto slash = line.rfind('/');
        if (slash == std::string::npos)
            continue;
        const std::string name = line.substr(slash + 1);
        for (const char* heavy : kHeavy)
            if (name.find(heavy) != std::string::npos && std::find(found.begin(), found.end(), name) == found.end())
                found.push_back(name);
    }
    std::string out;
    for (const std::string& name : found)
        out += (out.empty() ? "" : " ") + name;
    return out;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(3, std::atoi(argv[1])) : 11;
    if (!std::getenv("DISPLAY")) {
        std::fprintf(stderr, "bench_startup needs an X display: run it under xvfb-run\n");
        return 2;
    }
    const std::string program = programPath(argv[0]);

    char home[] = "/tmp/murmelin-bench-XXXXXX";
    if (!mkdtemp(home))
        return 2;
    setenv("HOME", home, 1);
    setenv("XDG_CONFIG_HOME", (std::string(home) + "/config").c_str(), 1);
    setenv("XDG_DATA_HOME", (std::string(home) + "/data").c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);

    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c))
        return 2;
    xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(c);
    const xcb_atom_t wmProtocols = atom(c, "WM_PROTOCOLS");
    const xcb_atom_t wmDelete = atom(c, "WM_DELETE_WINDOW");

    constexpr auto kIdleAfterStart = std::chrono::seconds(5);
    std::vector<double> startMs;
    std::vector<double> rssMb;
    std::vector<double> pssMb;
    std::vector<double> treePssMb;
    int runsWithHeavyLibraries = 0;
    for (int run = 0; run < runs; ++run) {
        pid_t pid = 0;
        const std::vector<pid_t> servicesBefore = speechServices();
        char* args[] = {const_cast<char*>(program.c_str()), nullptr};
        const auto t0 = Clock::now();
        if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, args, environ) != 0) {
            std::fprintf(stderr, "cannot start %s\n", program.c_str());
            return 2;
        }
        xcb_window_t shown = XCB_WINDOW_NONE;
        double ms = 0;
        while (shown == XCB_WINDOW_NONE) {
            xcb_generic_event_t* e = xcb_wait_for_event(c);
            if (!e)
                return 2;
            if ((e->response_type & 0x7f) == XCB_MAP_NOTIFY) {
                const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(e);
                if (windowName(c, map->window) == "Murmelin") {
                    ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
                    shown = map->window;
                }
            }
            std::free(e);
        }
        std::this_thread::sleep_until(t0 + kIdleAfterStart);
        const long kb = rollupKb(pid, "Rss:");
        const long pssKb = rollupKb(pid, "Pss:");
        // What the session costs besides the window: the processes it started.
        std::string heavy;
        long treePssKb = 0;
        const std::vector<pid_t> tree = processTree(pid);
        for (const pid_t member : tree) {
            treePssKb += std::max(0L, rollupKb(member, "Pss:"));
            const std::string found = heavyLibraries(member);
            if (!found.empty())
                heavy += (heavy.empty() ? "" : "; ") + std::to_string(member) + ": " + found;
        }

        // A speech service spawned for this run counts with it, and goes
        // with it, so that the next run finds none.
        std::vector<pid_t> spawned;
        for (const pid_t service : speechServices())
            if (std::find(servicesBefore.begin(), servicesBefore.end(), service) == servicesBefore.end())
                spawned.push_back(service);
        for (const pid_t service : spawned)
            treePssKb += std::max(0L, rollupKb(service, "Pss:"));
        if (!spawned.empty())
            heavy += std::string(heavy.empty() ? "" : "; ") + "speech service spawned";

        xcb_client_message_event_t close{};
        close.response_type = XCB_CLIENT_MESSAGE;
        close.format = 32;
        close.window = shown;
        close.type = wmProtocols;
        close.data.data32[0] = wmDelete;
        close.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(c, 0, shown, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&close));
        xcb_flush(c);
        int status = 0;
        for (int i = 0; i < 100 && waitpid(pid, &status, WNOHANG) == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (waitpid(pid, &status, WNOHANG) == 0) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            std::fprintf(stderr, "run %d: the window did not close\n", run + 1);
        }
        for (const pid_t service : spawned)
            kill(service, SIGTERM);
        // The first run sets up the working folder; the rest are ordinary starts.
        if (run > 0) {
            startMs.push_back(ms);
            rssMb.push_back(kb / 1024.0);
            pssMb.push_back(pssKb / 1024.0);
            treePssMb.push_back(treePssKb / 1024.0);
            runsWithHeavyLibraries += heavy.empty() ? 0 : 1;
        }
        std::printf("run %2d: window shown after %7.1f ms; at idle %6.1f MB resident, %6.1f MB proportional, "
                    "%6.1f MB proportional with the %zu processes it started%s%s%s\n",
                    run + 1, ms, kb / 1024.0, pssKb / 1024.0, treePssKb / 1024.0, tree.size() - 1,
                    run == 0 ? " (first run)" : "", heavy.empty() ? "" : "; at idle: ", heavy.c_str());
    }
    std::printf("start-up to window shown: median %.1f ms over %zu runs (target ≤ 150 ms)\n",
                median(startMs), startMs.size());
    std::printf("memory 5 s after start:   median %.1f MB resident (target ≤ 50 MB), %.1f MB proportional, "
                "%.1f MB proportional with what it started\n",
                median(rssMb), median(pssMb), median(treePssMb));
    std::printf("OpenGL driver, web engine or speech service at idle in %d of %zu runs (target 0)\n",
                runsWithHeavyLibraries, rssMb.size());
    xcb_disconnect(c);
    std::string cleanup = std::string("rm -rf '") + home + "'";
    return std::system(cleanup.c_str()) == 0 ? 0 : 1;
}
