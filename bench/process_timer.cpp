// Times whole processes against each other, interleaved: each run starts one program and ends when
// it exits or, with --paint, when its first window is mapped and drawn on the X display. Prints the
// medians and ranges of each program and the median of the ratios of neighbouring runs.
//
//   process_timer [--paint] [--runs N] [--warmup N] -- program args... -- baseline args...
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <csignal>
#include <memory>
#include <string>
#include <string_view>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#if defined(HORAVANT_XCB_DAMAGE)
#include <poll.h>
#include <xcb/damage.h>
#include <xcb/xcb.h>
#endif

namespace {

using Clock = std::chrono::steady_clock;

[[noreturn]] void fail(const std::string& what)
{
    std::fprintf(stderr, "process_timer: %s\n", what.c_str());
    std::exit(2);
}

pid_t launch(const std::vector<char*>& argv)
{
    const pid_t pid = ::fork();
    if (pid < 0)
        fail(std::string("fork: ") + std::strerror(errno));
    if (pid == 0) {
        ::execvp(argv[0], argv.data());
        std::fprintf(stderr, "process_timer: cannot start %s: %s\n", argv[0], std::strerror(errno));
        ::_exit(127);
    }
    return pid;
}

struct Times {
    double wall = 0;
    double cpu = -1;  // user and system time of the process, where it ran to its end
};

Times untilExit(const std::vector<char*>& argv)
{
    const auto start = Clock::now();
    const pid_t pid = launch(argv);
    int status = 0;
    rusage usage {};
    ::wait4(pid, &status, 0, &usage);
    Times t;
    t.wall = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        fail(std::string(argv[0]) + " did not end cleanly");
    const auto ms = [](const timeval& v) { return v.tv_sec * 1e3 + v.tv_usec / 1e3; };
    t.cpu = ms(usage.ru_utime) + ms(usage.ru_stime);
    return t;
}

#if defined(HORAVANT_XCB_DAMAGE)
// Until a window created by the program is mapped and its contents drawn: the server reports
// damage to a window when the client first puts its pixels there.
class Display {
public:
    Display()
    {
        m_c = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(m_c))
            fail("no X display (set DISPLAY, e.g. start Xvfb)");
        const xcb_query_extension_reply_t* damage = xcb_get_extension_data(m_c, &xcb_damage_id);
        if (!damage || !damage->present)
            fail("the X server has no DAMAGE extension");
        m_damageEvent = damage->first_event + XCB_DAMAGE_NOTIFY;
        free(xcb_damage_query_version_reply(m_c, xcb_damage_query_version(m_c, 1, 1), nullptr));
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_c)).data->root;
        const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_c, m_root, XCB_CW_EVENT_MASK, &mask);
        sync();
    }
    ~Display() { xcb_disconnect(m_c); }

    Times untilFirstPaint(const std::vector<char*>& argv)
    {
        sync();
        while (xcb_generic_event_t* e = xcb_poll_for_event(m_c))
            free(e);
        std::vector<xcb_window_t> mapped;
        std::vector<xcb_damage_damage_t> damages;
        const auto start = Clock::now();
        const pid_t pid = launch(argv);
        double ms = -1;
        while (ms < 0) {
            pollfd fd {xcb_get_file_descriptor(m_c), POLLIN, 0};
            if (::poll(&fd, 1, 20000) <= 0)
                fail(std::string(argv[0]) + " showed no window within 20 s");
            while (xcb_generic_event_t* e = xcb_poll_for_event(m_c)) {
                const std::uint8_t type = e->response_type & 0x7F;
                if (type == XCB_CREATE_NOTIFY) {
                    const auto* created = reinterpret_cast<xcb_create_notify_event_t*>(e);
                    const xcb_damage_damage_t damage = xcb_generate_id(m_c);
                    xcb_damage_create(m_c, damage, created->window, XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
                    damages.push_back(damage);
                    xcb_flush(m_c);
                } else if (type == XCB_MAP_NOTIFY) {
                    mapped.push_back(reinterpret_cast<xcb_map_notify_event_t*>(e)->window);
                } else if (type == m_damageEvent && ms < 0) {
                    const auto* d = reinterpret_cast<xcb_damage_notify_event_t*>(e);
                    if (std::find(mapped.begin(), mapped.end(), d->drawable) != mapped.end())
                        ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
                }
                free(e);
            }
        }
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        for (xcb_damage_damage_t d : damages)
            xcb_damage_destroy(m_c, d);
        sync();
        return {ms, -1};
    }

private:
    void sync() { free(xcb_get_input_focus_reply(m_c, xcb_get_input_focus(m_c), nullptr)); }

    xcb_connection_t* m_c = nullptr;
    xcb_window_t m_root = 0;
    std::uint8_t m_damageEvent = 0;
};
#endif

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv)
{
    bool paint = false;
    int runs = 21, warmup = 2;
    int i = 1;
    for (; i < argc && std::string_view(argv[i]) != "--"; ++i) {
        const std::string_view a = argv[i];
        if (a == "--paint")
            paint = true;
        else if (a == "--runs" && i + 1 < argc)
            runs = std::atoi(argv[++i]);
        else if (a == "--warmup" && i + 1 < argc)
            warmup = std::atoi(argv[++i]);
        else
            fail(
                "usage: process_timer [--paint] [--runs N] [--warmup N] -- program args... -- baseline "
                "args...");
    }
    std::vector<std::vector<char*>> commands;
    for (; i < argc; ++i) {
        if (std::string_view(argv[i]) == "--")
            commands.emplace_back();
        else if (!commands.empty())
            commands.back().push_back(argv[i]);
    }
    if (commands.size() != 2 || commands[0].empty() || commands[1].empty() || runs < 1)
        fail("give a program and a baseline, each after --");
    for (auto& c : commands)
        c.push_back(nullptr);

#if defined(HORAVANT_XCB_DAMAGE)
    std::unique_ptr<Display> display;
    if (paint)
        display = std::make_unique<Display>();
    const auto once = [&](const std::vector<char*>& c) { return paint ? display->untilFirstPaint(c) : untilExit(c); };
#else
    if (paint)
        fail("built without X support (libxcb-damage0-dev)");
    const auto once = [&](const std::vector<char*>& c) { return untilExit(c); };
#endif

    for (int w = 0; w < warmup; ++w)
        for (const auto& c : commands)
            once(c);
    std::vector<double> wall[2], cpu[2], wallRatios, cpuRatios;
    for (int r = 0; r < runs; ++r) {
        // Alternate which goes first, so neither always follows the other.
        const int first = r % 2;
        Times t[2];
        t[first] = once(commands[first]);
        t[1 - first] = once(commands[1 - first]);
        for (int k = 0; k < 2; ++k) {
            wall[k].push_back(t[k].wall);
            cpu[k].push_back(t[k].cpu);
        }
        wallRatios.push_back(t[0].wall / t[1].wall);
        if (t[0].cpu > 0 && t[1].cpu > 0)
            cpuRatios.push_back(t[0].cpu / t[1].cpu);
    }
    const auto report = [&](const char* what, const std::vector<double>* values, const std::vector<double>& ratios) {
        std::printf("%s:\n", what);
        for (int k = 0; k < 2; ++k) {
            const auto [lo, hi] = std::minmax_element(values[k].begin(), values[k].end());
            std::printf("  %-9s median %8.1f ms   range %8.1f .. %8.1f ms   (%s)\n", k == 0 ? "program" : "baseline",
                        median(values[k]), *lo, *hi, commands[k][0]);
        }
        const auto [lo, hi] = std::minmax_element(ratios.begin(), ratios.end());
        std::printf("  ratio     median %8.2f x    range %8.2f .. %8.2f x   (%zu interleaved pairs)\n", median(ratios),
                    *lo, *hi, ratios.size());
    };
    report(paint ? "Until the first window is drawn (wall clock)" : "Wall clock", wall, wallRatios);
    if (!cpuRatios.empty())
        report("Processor time (user and system)", cpu, cpuRatios);
    return 0;
}
