#!/usr/bin/env python3
"""Start-to-load time and memory of the web host, on a private Xvfb with a local page.

    bench/webhost/measure.py <QuorvaneWebHost> [--epiphany] [--runs N]

With --epiphany, GNOME Web is measured on the same page in browser mode and as a web app
(`epiphany --application-mode`). Its web-app mode wants a profile folder named
org.gnome.Epiphany.WebApp_<id> holding a `.app` marker, and the web app's desktop file where the desktop
portal's dynamic launcher keeps them, so that mode also needs Debian's epiphany-browser,
xdg-desktop-portal and xdg-desktop-portal-gtk (which serves the launcher only under XDG_CURRENT_DESKTOP=GNOME).
The script starts a private session bus of its own for all of it.

Each run installs nothing: it lays out a minimal bundle (stub.json and the host) in a temporary home,
starts the host, and stops the clock when the page, after its first two frames, asks the local server for
/loaded. Memory is the resident set (and proportional set) of the host and every process it started,
read once the page has loaded and settled for a second.
"""
import http.server, json, os, shutil, signal, statistics, subprocess, sys, tempfile, threading, time, uuid

PAGE = b"""<!DOCTYPE html><html><head><title>Bench</title></head><body><h1>Quorvane web app</h1>
<p>A local page.</p><script>addEventListener('load', () => requestAnimationFrame(() =>
requestAnimationFrame(() => fetch('/loaded'))));</script></body></html>"""

loaded = threading.Event()

class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        if self.path == "/loaded":
            loaded.set()
        body = PAGE if self.path in ("/", "/index.html") else b"ok"
        self.send_response(200)
        self.send_header("Content-Type", "text/html")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)
    def log_message(self, *args):
        pass

def descendants(pid):
    children = {}
    for entry in os.listdir("/proc"):
        if entry.isdigit():
            try:
                with open(f"/proc/{entry}/stat") as stat:
                    parent = int(stat.read().rsplit(")", 1)[1].split()[1])
                children.setdefault(parent, []).append(int(entry))
            except OSError:
                pass
    found, todo = [], [pid]
    while todo:
        current = todo.pop()
        found.append(current)
        todo.extend(children.get(current, []))
    return found

def memory(pids):
    rss = pss = 0
    for pid in pids:
        try:
            with open(f"/proc/{pid}/smaps_rollup") as rollup:
                for line in rollup:
                    if line.startswith("Rss:"):
                        rss += int(line.split()[1])
                    elif line.startswith("Pss:"):
                        pss += int(line.split()[1])
        except OSError:
            pass
    return rss / 1024, pss / 1024

def bundle(home, host, name, url):
    path = os.path.join(home, "apps", name + ".app")
    os.makedirs(os.path.join(path, "Contents/MacOS"))
    os.makedirs(os.path.join(path, "Contents/Resources"))
    slug = name.lower()
    with open(os.path.join(path, "Contents/Resources/stub.json"), "w") as stub:
        json.dump({"slug": slug, "url": url, "name": name, "bundleIdentifier": "app.quorvane.web." + slug,
                   "dataStoreIdentifier": str(uuid.uuid4()).upper()}, stub)
    executable = os.path.join(path, "Contents/MacOS/QuorvaneWebHost")
    shutil.copy(host, executable)
    return executable

def start_display(env):
    read, write = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x800x24", "-nolisten", "tcp",
                             "-noreset"], pass_fds=[write], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write)
    env["DISPLAY"] = ":" + os.read(read, 64).decode().strip()
    os.close(read)
    return xvfb

def start_bus(env):
    """A private session bus whose activated services (the desktop portal) see this run's folders."""
    read, write = os.pipe()
    bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--nopidfile", f"--print-address={write}"],
                           env=dict(env, XDG_CURRENT_DESKTOP="GNOME"), pass_fds=[write],
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write)
    with os.fdopen(read) as address:
        env["DBUS_SESSION_BUS_ADDRESS"] = address.readline().strip()
    return bus

def epiphany_app(env, name, url):
    """Lays out a GNOME Web web app for `url` and gives the command that opens it."""
    identifier = "org.gnome.Epiphany.WebApp_" + name
    profile = os.path.join(env["XDG_DATA_HOME"], identifier)
    os.makedirs(profile)
    open(os.path.join(profile, ".app"), "w").close()
    launchers = os.path.join(env["XDG_DATA_HOME"], "xdg-desktop-portal", "applications")
    os.makedirs(launchers, exist_ok=True)
    with open(os.path.join(launchers, identifier + ".desktop"), "w") as entry:
        entry.write(f"[Desktop Entry]\nType=Application\nName={name}\nTerminal=false\n"
                    f"Exec=epiphany --application-mode --profile={profile} {url}\nStartupWMClass={identifier}\n")
    return ["epiphany", "--application-mode", "--profile=" + profile, url]

def summary(label, samples):
    runs = len(samples)
    return (f"{label}: start to load {statistics.median(s[0] for s in samples) * 1000:.0f} ms (median of {runs}),"
            f" RSS {statistics.median(s[1] for s in samples):.0f} MiB, PSS {statistics.median(s[2] for s in samples):.0f} MiB")

def measure(command, env, settle=1.0):
    loaded.clear()
    start = time.monotonic()
    process = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL, stderr=open(os.environ.get("MEASURE_LOG", os.devnull), "a"))
    if not loaded.wait(60):
        process.kill()
        raise RuntimeError("page never loaded: " + " ".join(command))
    elapsed = time.monotonic() - start
    time.sleep(settle)
    return process, elapsed, memory(descendants(process.pid))

def stop(process):
    process.send_signal(signal.SIGTERM)
    try:
        process.wait(10)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()

def main():
    host = os.path.abspath(sys.argv[1])
    runs = int(sys.argv[sys.argv.index("--runs") + 1]) if "--runs" in sys.argv else 5
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    url = f"http://127.0.0.1:{server.server_address[1]}/"
    home = tempfile.mkdtemp(prefix="quorvane-bench-")
    env = {"HOME": home, "PATH": os.environ["PATH"], "XDG_RUNTIME_DIR": home, "LANG": "C.UTF-8",
           "XDG_DATA_HOME": home + "/data", "XDG_CONFIG_HOME": home + "/config", "XDG_CACHE_HOME": home + "/cache"}
    xvfb = start_display(env)
    bus = start_bus(env)
    try:
        samples = []
        for run in range(runs):
            process, elapsed, (rss, pss) = measure([bundle(home, host, f"Run{run}", url)], env)
            stop(process)
            samples.append((elapsed, rss, pss))
        print(summary("QuorvaneWebHost", samples))
        processes, pss_total = [], 0
        for index in range(3):
            process, _, _ = measure([bundle(home, host, f"Three{index}", url)], env)
            processes.append(process)
        time.sleep(1)
        rss3, pss3 = memory([pid for p in processes for pid in descendants(p.pid)])
        print(f"Three web apps at once: RSS {rss3:.0f} MiB, PSS {pss3:.0f} MiB")
        for process in processes:
            stop(process)
        if "--epiphany" in sys.argv and shutil.which("epiphany"):
            samples = []
            for run in range(runs):
                profile = tempfile.mkdtemp(prefix="epiphany-", dir=home)
                process, elapsed, (rss, pss) = measure(["epiphany", "--private-instance", "--profile", profile, url], env)
                stop(process)
                samples.append((elapsed, rss, pss))
            print(summary("epiphany --private-instance", samples))
            samples = []
            for run in range(runs):
                process, elapsed, (rss, pss) = measure(epiphany_app(env, f"Run{run}", url), env)
                stop(process)
                samples.append((elapsed, rss, pss))
            print(summary("epiphany --application-mode", samples))
            processes = [measure(epiphany_app(env, f"Three{index}", url), env)[0] for index in range(3)]
            time.sleep(1)
            rss3, pss3 = memory([pid for p in processes for pid in descendants(p.pid)])
            print(f"Three Epiphany web apps at once: RSS {rss3:.0f} MiB, PSS {pss3:.0f} MiB")
            for process in processes:
                stop(process)
    finally:
        bus.terminate()
        bus.wait()
        xvfb.terminate()
        xvfb.wait()
        shutil.rmtree(home, ignore_errors=True)

if __name__ == "__main__":
    main()
