#!/usr/bin/env python3
"""The studio's page in headless Chromium: a photo added with the file
input, dragged 37 pixels to the right and resized by its handle, its
focus handle dragged once it covers its box, dithering switched on, the boot played, saved; the saved boot loader file
is what Dawnmark makes of the description the page shows, and the page
logs no error. Then eight pages drag at once and each shows the drawing
of its own newest description.

usage: studioBrowser_test.py STUDIO DAWNMARK MAKE_SAMPLE_ZBEOS EXAMPLES_DIR
Exit status 77 (skipped) without Chromium, but under CI=true a failure."""

import os
import shutil
import socket
import subprocess
import sys
import tempfile
import time
import urllib.request

SKIP = 77
CHROMIUM = '/usr/bin/chromium'
DRIVER = '/usr/bin/chromedriver'


def missing(what):
    print(f'studio browser test: {what} missing', file=sys.stderr)
    sys.exit(1 if os.environ.get('CI') == 'true' else SKIP)


try:
    from selenium import webdriver
    from selenium.webdriver.common.action_chains import ActionChains
    from selenium.webdriver.common.by import By
    from selenium.webdriver.remote.file_detector import UselessFileDetector
    from selenium.webdriver.support.ui import WebDriverWait
except ImportError:
    missing('python3-selenium')
if not (os.access(CHROMIUM, os.X_OK) and os.access(DRIVER, os.X_OK)):
    missing('chromium or chromium-driver')

studio, dawnmark, make_sample, examples = (os.path.abspath(a) for a in sys.argv[1:5])
folder = tempfile.mkdtemp(prefix='studio-browser-')
outside = tempfile.mkdtemp(prefix='studio-browser-out-')
profile = tempfile.mkdtemp(prefix='studio-browser-profile-')


def start_studio(started):
    subprocess.run([make_sample, os.path.join(outside, 'zbeos')], check=True, stdout=subprocess.DEVNULL)
    for name in ('background.png', 'stripe.tga'):
        shutil.copy(os.path.join(examples, name), folder)
    with open(os.path.join(folder, 'splash.txt'), 'w') as text:
        text.write('screen 640 480 16\nicons at 220 420\nimage "background.png"\n'
                   'image "stripe.tga" at 0 330 resized to 640 24\n')
    server = subprocess.Popen([studio, '-z', os.path.join(outside, 'zbeos'), folder],
                              stdout=subprocess.PIPE, text=True)
    started.append(server)
    for line in server.stdout:
        if line.startswith('Open '):
            return line.split()[1]
    raise AssertionError('the studio printed no address')


def wait_for(what, ready, process):
    deadline = time.monotonic() + 30
    while True:
        found = ready()
        if found:
            return found
        if process.poll() is not None or time.monotonic() > deadline:
            process.kill()
            raise AssertionError(f'{what} did not start')
        time.sleep(0.1)


def start_browser(started):
    """Chromium with its debugging port, and ChromeDriver attached to it,
    both reached by the loopback address's number: a minimal system may have
    no /etc/hosts, and there the name localhost, which the driver would use
    for a browser it started itself, does not resolve. Each process is added
    to `started` as soon as it runs, so that a failure stops it too."""
    chromium = subprocess.Popen([CHROMIUM, '--headless=new', '--no-sandbox', '--disable-dev-shm-usage',
                                 '--window-size=1400,1000', '--remote-debugging-port=0',
                                 f'--user-data-dir={profile}', 'about:blank'],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    started.append(chromium)
    port_file = os.path.join(profile, 'DevToolsActivePort')

    def debugging_port():
        try:
            with open(port_file) as text:
                return text.readline().strip()
        except OSError:
            return None

    debugging = wait_for('chromium', debugging_port, chromium)
    with socket.socket() as probe:
        probe.bind(('127.0.0.1', 0))
        port = probe.getsockname()[1]
    chromedriver = subprocess.Popen([DRIVER, f'--port={port}'], stdout=subprocess.DEVNULL,
                                    stderr=subprocess.DEVNULL)
    started.append(chromedriver)
    address = f'http://127.0.0.1:{port}'

    def answering():
        try:
            return urllib.request.urlopen(address + '/status', timeout=1).read()
        except OSError:
            return None

    wait_for('chromedriver', answering, chromedriver)
    options = webdriver.ChromeOptions()
    options.add_experimental_option('debuggerAddress', f'127.0.0.1:{debugging}')
    options.set_capability('goog:loggingPrefs', {'browser': 'ALL'})
    driver = webdriver.Remote(command_executor=address, options=options)
    # The driver runs on this machine: a file is named by its path, not
    # sent over as it would be to a remote one.
    driver.file_detector = UselessFileDetector()
    return driver


def settled(driver, timeout=60):
    """Waits until the page shows the drawing of its newest change."""
    WebDriverWait(driver, timeout).until(lambda d: d.execute_script(
        'return document.body.dataset.drawn !== undefined'))


def errors_logged(driver):
    return [entry for entry in driver.get_log('browser') if entry['level'] == 'SEVERE']


SHOWN_IS_NEWEST = '''
const done = arguments[arguments.length - 1];
const token = new URLSearchParams(location.search).get('t');
const query = new URLSearchParams({t: token, lit: '0', dither: document.getElementById('dither').checked ? '1' : '0'});
fetch('/api/draw?' + query, {method: 'POST', headers: {'X-Studio-Token': token},
                             body: document.getElementById('description').value})
  .then((r) => r.blob()).then(createImageBitmap).then((bitmap) => {
    const canvas = document.getElementById('screen');
    const own = new OffscreenCanvas(bitmap.width, bitmap.height).getContext('2d');
    own.drawImage(bitmap, 0, 0);
    const want = own.getImageData(0, 0, bitmap.width, bitmap.height).data;
    const shown = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
    done(want.length === shown.length && want.every((v, i) => v === shown[i]));
  }).catch((e) => done(String(e)));
'''


def one_page(driver, address):
    driver.get(address)
    settled(driver)
    driver.find_element(By.ID, 'upload').send_keys(os.path.join(examples, 'sun.png'))
    WebDriverWait(driver, 30).until(lambda d: 'image "sun.png" at 0 0' in d.find_element(By.ID, 'description').get_attribute('value'))
    settled(driver)
    sun = driver.find_elements(By.CSS_SELECTOR, '.outline.image')[2]
    ActionChains(driver).click_and_hold(sun).move_by_offset(37, 0).release().perform()
    settled(driver)
    text = driver.find_element(By.ID, 'description').get_attribute('value')
    assert 'image "sun.png" at 37 0' in text, text
    handle = driver.find_elements(By.CSS_SELECTOR, '.outline.image .handle')[2]
    ActionChains(driver).click_and_hold(handle).move_by_offset(10, 20).release().perform()
    settled(driver)
    text = driver.find_element(By.ID, 'description').get_attribute('value')
    assert 'image "sun.png" at 37 0 resized to 130 140' in text, text
    # Covering its box, the sun gets a focus handle at the centre: 26 right
    # and 35 up of it is 70% of 130 across and 25% of 140 down.
    driver.execute_script('''const d = document.getElementById('description');
        d.value = d.value.replace('resized to 130 140', 'covering 130 140');
        d.dispatchEvent(new Event('input'));''')
    settled(driver)
    focus = driver.find_element(By.CSS_SELECTOR, '.outline.image .focus')
    ActionChains(driver).click_and_hold(focus).move_by_offset(26, -35).release().perform()
    settled(driver)
    text = driver.find_element(By.ID, 'description').get_attribute('value')
    assert 'image "sun.png" at 37 0 covering 130 140 focus 70 25' in text, text
    driver.find_element(By.ID, 'dither').click()
    settled(driver)
    assert driver.execute_async_script(SHOWN_IS_NEWEST) is True
    # The boot played, the screen is the exact drawing again.
    before = int(driver.execute_script('return document.body.dataset.drawn'))
    driver.find_element(By.ID, 'play').click()
    WebDriverWait(driver, 60).until(lambda d: int(d.execute_script('return document.body.dataset.drawn || 0')) > before)
    assert driver.execute_async_script(SHOWN_IS_NEWEST) is True
    driver.find_element(By.ID, 'save').click()
    WebDriverWait(driver, 60).until(lambda d: d.execute_script('return document.body.dataset.saved'))
    shown = os.path.join(outside, 'shown.txt')
    with open(shown, 'w') as file:
        file.write(driver.find_element(By.ID, 'description').get_attribute('value'))
    expected = os.path.join(outside, 'expected')
    subprocess.run([dawnmark, '--dither', '-z', os.path.join(outside, 'zbeos'), '-o', expected, shown],
                   check=True, cwd=folder, stdout=subprocess.DEVNULL)
    with open(expected, 'rb') as want, open(os.path.join(folder, 'newZbeos'), 'rb') as saved:
        assert want.read() == saved.read(), 'the saved file differs from what Dawnmark --dither makes'
    assert not errors_logged(driver), errors_logged(driver)


DRAG = '''
const [dx, moves] = arguments;
const outline = document.querySelectorAll('.outline.image')[1];
const box = outline.getBoundingClientRect();
const at = (x) => ({clientX: box.left + 5 + x, clientY: box.top + 5, pointerId: 1, bubbles: true});
outline.dispatchEvent(new PointerEvent('pointerdown', at(0)));
for (let i = 1; i <= moves; i += 1) outline.dispatchEvent(new PointerEvent('pointermove', at(i * dx / moves)));
outline.dispatchEvent(new PointerEvent('pointerup', at(dx)));
'''


def eight_pages(driver, address):
    driver.get(address)
    settled(driver)
    tabs = [driver.current_window_handle]
    for _ in range(7):
        driver.switch_to.new_window('tab')
        driver.get(address)
        tabs.append(driver.current_window_handle)
    for tab in tabs:
        driver.switch_to.window(tab)
        settled(driver)
    for number, tab in enumerate(tabs):
        driver.switch_to.window(tab)
        driver.execute_script(DRAG, 3 * number + 1, 12)
    for number, tab in enumerate(tabs):
        driver.switch_to.window(tab)
        settled(driver)
        text = driver.find_element(By.ID, 'description').get_attribute('value')
        assert f'image "stripe.tga" at {3 * number + 1} 330' in text, text
        assert driver.execute_async_script(SHOWN_IS_NEWEST) is True, f'page {number}'
        assert not errors_logged(driver), errors_logged(driver)


def main():
    started = []
    driver = None
    try:
        address = start_studio(started)
        driver = start_browser(started)
        driver.set_script_timeout(60)
        one_page(driver, address)
        eight_pages(driver, address)
    finally:
        if driver:
            driver.quit()
        # The studio, Chromium and its driver, newest first; a process that
        # is still writing its files would keep the folders from going.
        for process in reversed(started):
            process.terminate()
            try:
                process.wait(10)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
        for made in (folder, outside, profile):
            shutil.rmtree(made, ignore_errors=True)
    print('studio browser test: passed')


main()
