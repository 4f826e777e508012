"""The web build in a real browser: headless Chromium (software WebGL 2) loads the page from a
local server and is driven through its DevTools protocol. Up presses go through the browser's own
input; the canvas after each count of presses must match crs-snapshot's frame. Escape must end the
viewer with the page saying so, a missing crs.x must show its message box on the page, its
Japanese drawn by the page's own font (the browser sees no Japanese font of the machine), a folder
chosen through the page's input must draw as crs-snapshot draws it there, hostile crs.x files
must each show their box, one of them by running its parse past the deadline while the page goes
on, the page limit (crs-limit.html) must draw crs-snapshot's frames too, and the console must show
no error. Prints the load time, the frame rate and the transfer sizes.

Usage: browser_test.py [--measure] [BUILD_WEB [BUILD]] (defaults build-web and build, from the
repository); --measure prints the figures alone, for scripts/bench: the page's frame rate and the
page limit's, one page after the other in the same browser (three rounds, medians), at 0 and at
300 presses, the page's share of the limit, and last "web_limit_share=<share at 0 presses>"."""
import base64
import gzip
import io
import json
import math
import os
import re
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import threading
import time
import urllib.request

import websocket
from PIL import Image, ImageChops

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from serve import serve  # noqa: E402

# Press counts, cumulative, among them 300, where the car climbs (vect_x 4001: pitch not zero).
PRESS_COUNTS = [0, 26, 300]
MEAN_LIMIT = 2.0       # mean absolute difference per channel, of 255
WITHIN_16_SHARE = 0.99  # pixels whose channels all lie within 16
JOB_DEADLINE_MS = 4000  # the parsers' deadline while hostile files are tried
VIEWER_PAGE, LIMIT_PAGE = 'crs-move-pos.html', 'crs-limit.html'
# --measure: the seconds a page is left to settle after its start and after presses, the seconds
# its frames are counted, and the rounds of the two pages one after the other, whose medians are
# taken, so that a change in the machine's load meets both.
SETTLE_SECONDS, MEASURE_SECONDS, MEASURE_ROUNDS = 3, 4, 3
MEASURE_PRESSES = [0, 300]
CHROMIUM_FLAGS = ['--headless=new', '--no-sandbox', '--use-angle=swiftshader',
                  '--enable-unsafe-swiftshader', '--no-first-run', '--window-size=900,800',
                  '--remote-debugging-port=0', '--hide-scrollbars']


class DevTools:
    """One page's DevTools connection: commands by id, events kept for the console check."""

    def __init__(self, url):
        self.socket = websocket.create_connection(url, timeout=60)
        self.next_id = 0
        self.events = []

    def send(self, method, **params):
        self.next_id += 1
        self.socket.send(json.dumps({'id': self.next_id, 'method': method, 'params': params}))
        while True:
            message = json.loads(self.socket.recv())
            if message.get('id') == self.next_id:
                if 'error' in message:
                    raise RuntimeError(f'{method}: {message["error"]}')
                return message['result']
            self.events.append(message)

    def evaluate(self, expression):
        result = self.send('Runtime.evaluate', expression=expression, awaitPromise=True,
                           returnByValue=True)
        if 'exceptionDetails' in result:
            raise RuntimeError(f'{expression}: {result["exceptionDetails"]}')
        return result['result'].get('value')

    def wait_for(self, expression, what, seconds=60):
        deadline = time.monotonic() + seconds
        while not self.evaluate(expression):
            if time.monotonic() > deadline:
                raise AssertionError(f'timed out waiting for {what}; the console: '
                                     f'{self.console()}; the page: '
                                     f'{self.evaluate("document.body.innerText")}')
            time.sleep(0.05)

    def key(self, key, code, virtual_key, downs=1):
        """Holds the key for `downs` key-downs, the first its press and the rest auto-repeats."""
        for down in range(downs):
            self.send('Input.dispatchKeyEvent', type='rawKeyDown', key=key, code=code,
                      windowsVirtualKeyCode=virtual_key, autoRepeat=down > 0)
        self.send('Input.dispatchKeyEvent', type='keyUp', key=key, code=code,
                  windowsVirtualKeyCode=virtual_key)

    def console(self):
        return [' '.join(str(a.get('value', a.get('description'))) for a in e['params']['args'])
                for e in self.events if e.get('method') == 'Runtime.consoleAPICalled']

    def errors(self):
        found = []
        for event in self.events:
            method, params = event.get('method'), event.get('params', {})
            if method == 'Runtime.consoleAPICalled' and params.get('type') == 'error':
                found.append(' '.join(str(a.get('value', a.get('description')))
                                      for a in params.get('args', [])))
            elif method == 'Runtime.exceptionThrown':
                found.append(params['exceptionDetails'].get('text', 'exception'))
            elif method == 'Log.entryAdded' and params['entry'].get('level') == 'error':
                found.append(params['entry'].get('text', ''))
        return found


def start_chromium(work):
    # Fontconfig shows the browser DejaVu alone, as on a machine without a Japanese font.
    fonts = os.path.join(work, 'fonts.conf')
    with open(fonts, 'w') as conf:
        conf.write('<?xml version="1.0"?>\n<fontconfig><dir>/usr/share/fonts/truetype/dejavu</dir>'
                   f'<cachedir>{work}/fontconfig</cachedir></fontconfig>\n')
    # A session of its own, so that its renderer and GPU processes end with it.
    browser = subprocess.Popen(['chromium', *CHROMIUM_FLAGS,
                                f'--user-data-dir={os.path.join(work, "profile")}',
                                'about:blank'], stderr=subprocess.PIPE, text=True,
                               start_new_session=True, env={**os.environ, 'FONTCONFIG_FILE': fonts})
    for line in browser.stderr:
        match = re.search(r'DevTools listening on ws://([^/]+)/', line)
        if match:
            # The rest of what it says is read and dropped, so that a full pipe never stops it.
            threading.Thread(target=browser.stderr.read, daemon=True).start()
            return browser, match.group(1)
    raise RuntimeError('chromium did not open its DevTools port')


def open_page(host, url):
    with urllib.request.urlopen(f'http://{host}/json/list') as listing:
        target = next(t for t in json.load(listing) if t['type'] == 'page')
    page = DevTools(target['webSocketDebuggerUrl'])
    for domain in ('Runtime', 'Log', 'Page'):
        page.send(f'{domain}.enable')
    page.send('Emulation.setDeviceMetricsOverride', width=900, height=800, deviceScaleFactor=1,
              mobile=False)
    page.send('Page.navigate', url=url)
    return page


def picture_of(page, element):
    """The element (a JavaScript expression) as the page shows it."""
    # Three animation frames: the one the program waits for, its frame drawn, that frame shown.
    page.evaluate('new Promise(r => requestAnimationFrame(() => requestAnimationFrame(() => '
                  'requestAnimationFrame(r))))')
    box = page.evaluate(f'(() => {{ const r = ({element}).getBoundingClientRect(); '
                        'return {x: r.x, y: r.y, width: r.width, height: r.height}; })()')
    shot = page.send('Page.captureScreenshot', format='png', clip={**box, 'scale': 1})
    return Image.open(io.BytesIO(base64.b64decode(shot['data']))).convert('RGB')


def canvas_picture(page):
    return picture_of(page, 'canvas')


def check_message_glyphs(page):
    """The box's text against the same text, in the same box, in the browser's fallback, which
    has no Japanese glyphs and draws each as the same empty box: the two must differ, and the
    fallback must draw two different characters alike (else the check says nothing)."""
    page.evaluate('document.fonts.ready.then(() => true)')
    page.evaluate('''(() => { for (const [id, text] of [['fallback', null], ['yomi', '読'],
                                                     ['komi', '込']]) {
        const p = document.createElement('p');
        p.id = id;
        p.style.cssText = 'font-family: sans-serif';
        p.textContent = text || document.querySelector('.box p').textContent;
        document.querySelector('.box').appendChild(p);
      } })()''')
    own = picture_of(page, 'document.querySelector(".box p")')
    fallback = picture_of(page, 'document.getElementById("fallback")')
    assert ImageChops.difference(picture_of(page, 'document.getElementById("yomi")'),
                                 picture_of(page, 'document.getElementById("komi")')).getbbox() \
        is None, 'the browser has a Japanese font of its own: the glyph check cannot fail'
    size = (0, 0, min(own.size[0], fallback.size[0]), min(own.size[1], fallback.size[1]))
    differing = ImageChops.difference(own.crop(size), fallback.crop(size)).getbbox()
    assert differing is not None, 'the box draws its Japanese as the fallback does: no glyphs'
    page.evaluate('["fallback", "yomi", "komi"].forEach(id => document.getElementById(id)'
                  '.remove())')


def compare(browser_picture, snapshot, label):
    assert browser_picture.size == snapshot.size, \
        f'{label}: canvas {browser_picture.size}, snapshot {snapshot.size}'
    difference = ImageChops.difference(browser_picture, snapshot)
    pixels = snapshot.size[0] * snapshot.size[1]
    means = [sum(i * n for i, n in enumerate(difference.getchannel(c).histogram())) / pixels
             for c in range(3)]
    # A pixel is within 16 when its largest channel difference is.
    largest = ImageChops.lighter(ImageChops.lighter(difference.getchannel(0),
                                                    difference.getchannel(1)),
                                 difference.getchannel(2))
    within = sum(largest.histogram()[:17]) / pixels
    print(f'{label}: mean |R G B| {means[0]:.3f} {means[1]:.3f} {means[2]:.3f}, '
          f'within 16: {100 * within:.3f}%')
    assert max(means) <= MEAN_LIMIT and within >= WITHIN_16_SHARE, f'{label}: pictures differ'


def press_up(page, presses):
    """Separate presses, then the rest held down with the key's auto-repeat."""
    for _ in range(min(presses, 10)):
        page.key('ArrowUp', 'ArrowUp', 38)
    if presses > 10:
        page.key('ArrowUp', 'ArrowUp', 38, downs=presses - 10)


def drive_and_compare(page, build, work, name='browser'):
    pressed = 0
    for presses in PRESS_COUNTS:
        press_up(page, presses - pressed)
        pressed = presses
        picture = canvas_picture(page)
        picture.save(os.path.join(work, f'{name}-{presses}.png'))
        label = f'{presses} presses' if name == 'browser' else f'{name}, {presses} presses'
        compare(picture, snapshot(build, work, presses), label)


def snapshot(build, work, presses, data=None):
    """crs-snapshot's frame after `presses`, run in `data` (the build's own by default)."""
    out = os.path.join(work, f'snapshot-{presses}.png')
    subprocess.run([os.path.abspath(os.path.join(build, 'bin', 'crs-snapshot')), '--presses',
                    str(presses), '--out', out], cwd=data or os.path.join(build, 'data'),
                   check=True, env={**os.environ, 'SDL_VIDEODRIVER': 'offscreen'},
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return Image.open(out).convert('RGB')


def touch_and_compare(page, build, work):
    """Taps on the canvas, then a touch held down: the page's Up key-downs, counted as the
    window receives them, must be one per tap plus the hold's repeats, and the canvas must be
    crs-snapshot's after that many presses."""
    page.send('Emulation.setTouchEmulationEnabled', enabled=True, maxTouchPoints=1)
    page.evaluate('window.ups = 0; window.addEventListener("keydown", e => '
                  '{ if (e.code === "ArrowUp") ups++; }, true)')
    box = page.evaluate('(() => { const r = canvas.getBoundingClientRect(); '
                        'return {x: r.x + r.width / 2, y: r.y + r.height / 2}; })()')
    taps, longest = 12, 0
    for _ in range(taps):
        start = time.monotonic()
        page.send('Input.dispatchTouchEvent', type='touchStart', touchPoints=[box])
        page.send('Input.dispatchTouchEvent', type='touchEnd', touchPoints=[])
        longest = max(longest, time.monotonic() - start)
    ups = page.evaluate('ups')
    # A tap that a busy machine stretched past the repeat delay repeats, as a key held would.
    assert ups == taps or (longest > 0.45 and ups > taps), \
        f'{taps} taps, the longest {longest:.2f} s, gave {ups} key-downs'
    compare(canvas_picture(page), snapshot(build, work, ups), f'{taps} taps ({ups} key-downs)')
    # Held for about 1.5 s: the first key-down, then repeats from 500 ms on, 33 ms apart, never
    # faster (timers may run late on a busy machine, so the count has a floor well below).
    start = time.monotonic()
    page.send('Input.dispatchTouchEvent', type='touchStart', touchPoints=[box])
    time.sleep(1.5)
    page.send('Input.dispatchTouchEvent', type='touchEnd', touchPoints=[])
    most = 2 + (time.monotonic() - start - 0.5) / 0.033
    held = page.evaluate('ups') - ups
    assert 10 <= held <= most, f'a touch held 1.5 s gave {held} key-downs, at most {most:.0f}'
    compare(canvas_picture(page), snapshot(build, work, ups + held),
            f'then a touch held: {held} key-downs')
    page.evaluate('document.getElementById("end").click()')
    page.wait_for('Module.endedWith === 0', 'End to end the program with 0')
    page.send('Emulation.setTouchEmulationEnabled', enabled=False)


def scene_folder(work):
    """A test scene as a user would have it: the course's texture in a sub-folder."""
    source = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'data', 'viewer')
    scene = os.path.join(work, 'scene')
    os.makedirs(os.path.join(scene, 'textures'))
    with open(os.path.join(source, 'crs.x')) as course:
        text = course.read()
    assert '"ground.png"' in text
    with open(os.path.join(scene, 'crs.x'), 'w') as course:
        course.write(text.replace('"ground.png"', '"textures/ground.png"'))
    for name, place in (('F1.x', 'F1.x'), ('roof.png', 'roof.png'),
                        ('ground.png', 'textures/ground.png')):
        shutil.copy(os.path.join(source, name), os.path.join(scene, place))
    return scene


def own_files_and_compare(page, build, work, address):
    """A folder chosen through the page's input: the viewer starts again on it and draws what
    crs-snapshot draws in that folder, before and after presses."""
    scene = scene_folder(work)
    page.send('Page.navigate', url=address)
    page.wait_for('typeof Module === "object" && Module.framesShown > 0', 'the first frame')
    root = page.send('DOM.getDocument')['root']['nodeId']
    folder = page.send('DOM.querySelector', nodeId=root, selector='#own-folder')['nodeId']
    page.send('DOM.setFileInputFiles', files=[scene], nodeId=folder)
    page.wait_for('location.search === "?own" && typeof Module === "object" && '
                  'Module.framesShown > 0', 'the first frame of the own files')
    assert page.evaluate('FS.cwd()') == '/own', page.evaluate('FS.cwd()')
    assert page.evaluate('document.querySelector(".box") === null'), \
        page.evaluate('document.querySelector(".box").innerText')
    compare(canvas_picture(page), snapshot(build, work, 0, scene), 'own files, 0 presses')
    for _ in range(8):
        page.key('ArrowUp', 'ArrowUp', 38)
    compare(canvas_picture(page), snapshot(build, work, 8, scene), 'own files, 8 presses')


def star_polygon(corners):
    """A mesh of one face, a star of `corners` corners: Assimp cuts it into triangles in time
    that grows with the square of its corners, minutes for this many."""
    points = [(math.cos(2 * math.pi * i / corners) * (1 if i % 2 else 0.5),
               math.sin(2 * math.pi * i / corners) * (1 if i % 2 else 0.5)) for i in range(corners)]
    return (f'xof 0303txt 0032\nMesh Star {{\n{corners};\n'
            + ',\n'.join(f'{x:.6f};{y:.6f};0.000000;' for x, y in points) + ';\n'
            + f'1;\n{corners};' + ','.join(map(str, range(corners))) + ';;\n}\n').encode()


def hostile_courses(source):
    """crs.x files that must fail to load: the name of each, its bytes and whether its parse
    must be cut off at the deadline."""
    with open(os.path.join(source, 'crs.x'), 'rb') as course:
        good = course.read()
    materials = re.sub(rb'MeshMaterialList \{.*?\}\s*\}',
                       b'MeshMaterialList {\n1000000;\n1;\n0;;\n' + b'{ Ground }\n' * 1000000
                       + b'}', good, flags=re.S)
    assert len(materials) > 10**7
    return [('empty', b'', False), ('not an X file', b'\x89PNG\r\n\x1a\n not a mesh at all', False),
            ('truncated', good[:len(good) // 2], False),
            ('a million materials', materials, False),
            ('a polygon of 150000 corners', star_polygon(150000), True)]


def hostile_files(page, work):
    """Each hostile crs.x, chosen with a good F1.x, shows the X file's box captioned crs.x;
    its OK lets the viewer go on with the car alone, and nothing stops the program. The page's
    parsers get a deadline of a few seconds here, which the polygon's parse must run into while
    the page goes on answering (a page frozen by the parse would leave the polls unanswered)."""
    source = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'data', 'viewer')
    deadline = page.send('Page.addScriptToEvaluateOnNewDocument',
                         source=f'window.crsJobDeadlineMs = {JOB_DEADLINE_MS};')['identifier']
    for index, (what, data, past_deadline) in enumerate(hostile_courses(source)):
        folder = os.path.join(work, f'hostile-{index}')
        os.makedirs(folder)
        with open(os.path.join(folder, 'crs.x'), 'wb') as course:
            course.write(data)
        for name in ('F1.x', 'roof.png'):
            shutil.copy(os.path.join(source, name), folder)
        page.evaluate('window.before = true')
        root = page.send('DOM.getDocument')['root']['nodeId']
        node = page.send('DOM.querySelector', nodeId=root, selector='#own-folder')['nodeId']
        page.send('DOM.setFileInputFiles', files=[folder], nodeId=node)
        page.wait_for('!window.before && typeof Module === "object"', f'the page for {what}')
        started = time.monotonic()
        page.wait_for('document.querySelector(".box h2") !== null', f'the box for {what}',
                      seconds=120)
        waited = time.monotonic() - started
        box = page.evaluate('document.querySelector(".box").innerText')
        assert box.startswith('crs.x') and 'Xファイルの読み込みに失敗しました' in box, (what, box)
        # The cut-off parse failed no sooner than its deadline, so it was the deadline that cut it.
        assert not past_deadline or waited >= JOB_DEADLINE_MS / 1000 - 0.5, (what, waited)
        page.evaluate('document.querySelector(".box button").click()')
        page.wait_for('Module.framesShown > 2 && !document.querySelector(".box")',
                      f'frames after the box for {what}')
        assert page.evaluate('Module.endedWith === undefined && document.getElementById('
                             '"notice").hidden'), (what, page.evaluate('document.body.innerText'))
        print(f'hostile crs.x, {what}: the box after {waited:.1f} s, then frames')
    page.send('Page.removeScriptToEvaluateOnNewDocument', identifier=deadline)


def transfer_line(build_web):
    sizes = {name: os.path.getsize(os.path.join(build_web, name))
             for name in ('crs-move-pos.html', 'crs-move-pos.js', 'crs-move-pos.wasm',
                          'crs-move-pos.data', 'crs-move-pos-data.js', 'crs-messages.woff2',
                          'own_files.js', 'job_worker.js')}
    packed = sum(len(gzip.compress(open(os.path.join(build_web, n), 'rb').read(), 9))
                 for n in sizes)
    return f'transfer {sum(sizes.values()) / 2**20:.2f} MiB, {packed / 2**20:.2f} MiB gzipped'


def report_speed(page, build_web):
    first = page.evaluate('Module.firstFrameMs')
    start = page.evaluate('Module.framesShown')
    time.sleep(2)
    rate = (page.evaluate('Module.framesShown') - start) / 2
    print(f'first frame {first:.0f} ms after navigation; {rate:.1f} frames per second at 0 '
          f'presses; {transfer_line(build_web)}', flush=True)


def frame_rate(page):
    """Frames shown per second over MEASURE_SECONDS, by the page's own clock."""
    frames, at = page.evaluate('[Module.framesShown, performance.now()]')
    time.sleep(MEASURE_SECONDS)
    frames_after, at_after = page.evaluate('[Module.framesShown, performance.now()]')
    return (frames_after - frames) * 1000 / (at_after - at)


def measure_page(page, address):
    """The page's first frame after navigation, and its frame rates after each of
    MEASURE_PRESSES (cumulative), each once start-up or the presses have settled."""
    page.send('Page.navigate', url=address)
    page.wait_for('typeof Module === "object" && Module.framesShown > 0', f'{address}: a frame')
    first = page.evaluate('Module.firstFrameMs')
    rates, pressed = [], 0
    for presses in MEASURE_PRESSES:
        press_up(page, presses - pressed)
        pressed = presses
        time.sleep(SETTLE_SECONDS)
        rates.append(frame_rate(page))
    return first, rates


def measure(page, build_web, root):
    """The viewer's page, then the page limit in the same browser, MEASURE_ROUNDS times: the
    medians as a table, and the share."""
    rounds = {name: [] for name in (VIEWER_PAGE, LIMIT_PAGE)}
    for _ in range(MEASURE_ROUNDS):
        for name, visits in rounds.items():
            first, rates = measure_page(page, root + name)
            visits.append([first, *rates])
    viewer_first, *viewer_rates = [statistics.median(c) for c in zip(*rounds[VIEWER_PAGE])]
    limit_first, *limit_rates = [statistics.median(c) for c in zip(*rounds[LIMIT_PAGE])]
    shares = [v / l if l > 0 else math.nan for v, l in zip(viewer_rates, limit_rates)]
    print(f'{f"medians of {MEASURE_ROUNDS} rounds":34} {"page":>9} {"page limit":>11} '
          f'{"share":>6}')
    for presses, v, l, share in zip(MEASURE_PRESSES, viewer_rates, limit_rates, shares):
        print(f'{f"frames per second, {presses} presses":34} {v:9.1f} {l:11.1f} {share:6.2f}')
    print(f'{"first frame after navigation, ms":34} {viewer_first:9.0f} {limit_first:11.0f}')
    print(f'the page\'s {transfer_line(build_web)}')
    print(f'web_limit_share={shares[0]:.2f}', flush=True)


def main():
    measure_only = '--measure' in sys.argv
    paths = [a for a in sys.argv[1:] if a != '--measure']
    build_web = paths[0] if paths else 'build-web'
    build = paths[1] if len(paths) > 1 else 'build'
    server = serve(build_web)
    root = f'http://127.0.0.1:{server.server_address[1]}/'
    address = root + VIEWER_PAGE
    with tempfile.TemporaryDirectory() as work:
        browser, host = start_chromium(work)
        try:
            if measure_only:
                measure(open_page(host, 'about:blank'), build_web, root)
                return
            page = open_page(host, address)
            page.wait_for('typeof Module === "object" && Module.framesShown > 0', 'the first frame')
            report_speed(page, build_web)
            drive_and_compare(page, build, work)

            page.key('Escape', 'Escape', 27)
            page.wait_for('Module.endedWith === 0', 'the program to end with 0')
            notice = page.evaluate('document.getElementById("notice").innerText')
            assert 'The viewer has ended.' in notice and 'Start again' in notice, notice

            page.send('Page.navigate', url=address)
            page.wait_for('typeof Module === "object" && Module.framesShown > 0', 'the first frame')
            touch_and_compare(page, build, work)
            own_files_and_compare(page, build, work, address)
            hostile_files(page, work)

            page.send('Page.navigate', url=address + '?remove=crs.x')
            page.wait_for('document.querySelector(".box h2") !== null', 'the message box')
            box = page.evaluate('document.querySelector(".box").innerText')
            assert box.startswith('crs.x') and 'Xファイルの読み込みに失敗しました' in box, box
            check_message_glyphs(page)
            # Its OK lets the viewer go on, with the car alone.
            page.evaluate('document.querySelector(".box button").click()')
            page.wait_for('Module.framesShown > 2 && !document.querySelector(".box")',
                          'frames after the box')

            # The page limit draws the viewer's picture: a limit of something else says nothing.
            page.send('Page.navigate', url=root + LIMIT_PAGE)
            page.wait_for('typeof Module === "object" && Module.framesShown > 0',
                          'the page limit\'s first frame')
            drive_and_compare(page, build, work, 'page limit')

            errors = page.errors()
            assert not errors, f'console errors: {errors}'
        finally:
            os.killpg(browser.pid, signal.SIGKILL)
            browser.wait()
    print('browser test: passed')


if __name__ == '__main__':
    main()
