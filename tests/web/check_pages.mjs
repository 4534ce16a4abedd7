// The web checks on the pages web_pages writes: every.html, worked.html and
// worked-photo.html, modern; classic.html and classic-photo.html, classic:
//   node check_pages.mjs vnu FOLDER          the Nu HTML checker finds nothing
//                                            in the modern pages
//   node check_pages.mjs chromium FOLDER     as a phone in headless Chromium:
//                                            layout, text size, axe-core, MouseOver;
//                                            then in a computer's full-width window:
//                                            the longest line, the column, the background
//   node check_pages.mjs screenshots FOLDER OUT   the worked example with the
//                                            photo on a phone, classic and modern
//   node check_pages.mjs phone FOLDER SCRIPT PAGE...   the value of SCRIPT in
//                                            each page on a phone, as JSON
// The classic pages are measured beside the modern ones and never fail a check.
// A missing tool skips (exit 77) unless TARNWELL_WEB_CHECKS=required or the
// checks run as root, as in CI, where every tool can be had.

import { execFile } from 'node:child_process';
import { existsSync, mkdtempSync, rmSync } from 'node:fs';
import { createRequire } from 'node:module';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import { pathToFileURL } from 'node:url';

const require = createRequire(import.meta.url);
const modernPages = ['every.html', 'worked.html', 'worked-photo.html'];
const classicPages = ['classic.html', 'classic-photo.html'];
const allPages = [...modernPages, ...classicPages];
const chromiumPath = '/usr/bin/chromium';
const phone = { width: 390, height: 844, deviceScaleFactor: 3, isMobile: true, hasTouch: true };
const desktop = { width: 1920, height: 1080, deviceScaleFactor: 1 };
// Readers manage 45 to 75 characters a line.
const longestLine = 75;

const failures = [];
const fail = (why) => failures.push(why);
const label = (page) => (classicPages.includes(page) ? `${page} (classic, measured)` : page);

function skipOrFail(why) {
    if (process.env.TARNWELL_WEB_CHECKS === 'required' || process.getuid?.() === 0) {
        console.error(`FAIL: ${why}`);
        process.exit(1);
    }
    console.log(`skipped: ${why} (tools/dev.sh test installs it)`);
    process.exit(77);
}

function modulePath(name) {
    try {
        return require.resolve(name);
    } catch {
        skipOrFail(`${name.split('/')[0]} is not installed: run npm ci in tests/web`);
    }
}

function run(program, args) {
    return new Promise((done) => {
        execFile(program, args, { maxBuffer: 64 << 20 }, (error, stdout, stderr) =>
            done({ error, stdout, stderr }));
    });
}

// ---- The Nu HTML checker -------------------------------------------------

async function checkWithVnu(folder) {
    const jar = join(modulePath('vnu-jar/package.json'), '..', 'build', 'dist', 'vnu.jar');
    if (!existsSync(jar))
        skipOrFail('vnu-jar has no vnu.jar: run npm ci in tests/web');
    if ((await run('java', ['-version'])).error)
        skipOrFail('Java is not installed (Debian: default-jre-headless)');

    const files = allPages.map((page) => join(folder, page));
    const result = await run('java', ['-jar', jar, '--format', 'json', '--stdout', ...files]);
    let messages;
    try {
        messages = JSON.parse(result.stdout).messages;
    } catch {
        fail(`vnu gave no report: ${result.stderr || result.error}`);
        return;
    }
    // vnu names a file "file:/path"; a message for no page is a fault too.
    const pathOf = (m) => (m.url ? decodeURIComponent(new URL(m.url).pathname) : '');
    const unplaced = messages.filter((m) => !files.includes(pathOf(m)));
    if (unplaced.length)
        fail(`vnu: ${unplaced.map((m) => `${m.type} ${m.url ?? ''}: ${m.message}`).join('; ')}`);
    for (const page of allPages) {
        const own = messages.filter((m) => pathOf(m) === join(folder, page));
        const count = (is) => own.filter(is).length;
        console.log(`vnu ${label(page)}: ` +
            `${count((m) => m.type === 'error' || m.type === 'non-document-error')} errors, ` +
            `${count((m) => m.type === 'info' && m.subType === 'warning')} warnings, ` +
            `${own.length} messages in all`);
        for (const m of own)
            console.log(`    ${m.type}${m.subType ? ' ' + m.subType : ''} line ${m.lastLine}: ` +
                m.message);
        if (!classicPages.includes(page) && own.length > 0)
            fail(`vnu found ${own.length} messages in ${page}`);
    }
}

// ---- Chromium as a phone ---------------------------------------------------

async function launchChromium() {
    if (!existsSync(chromiumPath))
        skipOrFail(`Chromium is not installed at ${chromiumPath} (Debian: chromium)`);
    let puppeteer;
    try {
        puppeteer = (await import('puppeteer-core')).default;
    } catch {
        skipOrFail('puppeteer-core is not installed: run npm ci in tests/web');
    }
    const profile = mkdtempSync(join(tmpdir(), 'tarnwell-chromium-'));
    const browser = await puppeteer.launch({
        executablePath: chromiumPath,
        headless: true,
        userDataDir: profile,
        args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
            '--disable-background-networking', '--disable-component-update', '--disable-sync'],
    });
    return {
        browser,
        close: async () => {
            await browser.close();
            rmSync(profile, { recursive: true, force: true });
        },
    };
}

// A phone's tab on a file of the folder; nothing but files may load.
async function openAsPhone(browser, folder, page, viewport = phone) {
    const tab = await browser.newPage();
    await tab.setViewport(viewport);
    await tab.setRequestInterception(true);
    const refused = [];
    tab.on('request', (request) => {
        const url = request.url();
        if (url.startsWith('file:') || url.startsWith('data:'))
            request.continue();
        else {
            refused.push(url);
            request.abort();
        }
    });
    await tab.goto(pathToFileURL(join(folder, page)).href, { waitUntil: 'load' });
    return { tab, refused };
}

// What a phone shows: the width the page is laid out at, its scale, how
// far it scrolls sideways, the smallest text and the pictures.
function measureLayout() {
    let smallest = Infinity;
    const walker = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT);
    for (let node = walker.nextNode(); node; node = walker.nextNode()) {
        if (node.textContent.trim())
            smallest = Math.min(smallest, parseFloat(getComputedStyle(node.parentElement).fontSize));
    }
    const overlaps = [];
    for (const row of document.querySelectorAll('.side')) {
        const boxes = [...row.children].map((child) => child.getBoundingClientRect());
        for (let i = 1; i < boxes.length; ++i) {
            const a = boxes[i - 1];
            const b = boxes[i];
            if (a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom)
                overlaps.push(row.outerHTML.slice(0, 60));
        }
    }
    const images = [...document.images];
    const main = document.querySelector('main');
    return {
        mainFillsBody: !main || main.getBoundingClientRect().width === document.body.clientWidth,
        layoutWidth: window.innerWidth,
        scale: window.visualViewport.scale,
        scrollWidth: document.documentElement.scrollWidth,
        smallestText: smallest,
        widestPicture: Math.max(0, ...images.map((image) => image.getBoundingClientRect().width)),
        rightmostPicture: Math.max(0, ...images.map((image) => image.getBoundingClientRect().right)),
        unloaded: images.filter((image) => !image.complete || image.naturalWidth === 0)
            .map((image) => image.getAttribute('src')),
        overlaps,
    };
}

async function runAxe(tab) {
    await tab.addScriptTag({ path: modulePath('axe-core/axe.min.js') });
    const result = await tab.evaluate(() => window.axe.run(document));
    return result.violations.map((v) => `${v.id} (${v.nodes.length})`);
}

const imageSource = (link) => link.$eval('img', (image) => image.getAttribute('src'));
const overSource = (link) => link.evaluate((a) =>
    /src='([^']*)'/.exec(a.getAttribute('onmouseover') ?? a.getAttribute('onfocus'))[1]);
const pictureShown = (link) => link.$eval('img', (image) =>
    image.complete && image.naturalWidth > 0 && image.currentSrc.endsWith(image.getAttribute('src')));
const waitShown = (tab, link) => tab.waitForFunction(
    (a) => { const i = a.querySelector('img'); return i.complete && i.naturalWidth > 0; },
    { timeout: 5000 }, link);

// Every link whose picture changes, under the mouse and then back. Then Tab
// through the page from its start: every link shows an outline of 2 pixels
// or more under the focus (the browser's own ring is thinner), and a
// MouseOver link its other picture, back again once the focus moves on.
async function checkLinks(page, tab) {
    const swapping = 'a[onmouseover], a[onfocus]';
    let links = await tab.$$(swapping);
    const normal = await Promise.all(links.map(imageSource));
    const over = await Promise.all(links.map(overSource));
    for (let i = 0; i < links.length; ++i) {
        try {
            await links[i].hover();
            await waitShown(tab, links[i]);
        } catch (error) {
            fail(`${page}: MouseOver ${i + 1} cannot be hovered: ${error.message}`);
            continue;
        }
        if ((await imageSource(links[i])) !== over[i] || !(await pictureShown(links[i])))
            fail(`${page}: MouseOver ${i + 1} does not show ${over[i]} under the mouse`);
        await tab.mouse.move(1, 1);
        if ((await imageSource(links[i])) !== normal[i])
            fail(`${page}: MouseOver ${i + 1} does not go back to ${normal[i]} after the mouse`);
    }
    await tab.reload({ waitUntil: 'load' }); // Tab goes on from the last focus
    links = await tab.$$(swapping);
    const seen = new Set();
    const reached = new Set();
    for (let press = 0; press < 200; ++press) {
        await tab.keyboard.press('Tab');
        const focused = await tab.evaluate((swapping) => {
            const element = document.activeElement;
            if (!element || element === document.body)
                return null;
            const style = getComputedStyle(element);
            return {
                index: [...document.querySelectorAll('a')].indexOf(element),
                swaps: [...document.querySelectorAll(swapping)].indexOf(element),
                outline: style.outlineStyle,
                width: parseFloat(style.outlineWidth),
            };
        }, swapping);
        if (!focused || seen.has(focused.index))
            break; // off the end of the page, or round again
        seen.add(focused.index);
        if (focused.index >= 0 && (focused.outline === 'none' || !(focused.width >= 2)))
            fail(`${page}: link ${focused.index + 1} under the focus has no visible outline ` +
                `(${focused.outline} ${focused.width} px)`);
        const i = focused.swaps;
        if (i < 0)
            continue;
        reached.add(i);
        await waitShown(tab, links[i]).catch(() => {});
        if ((await imageSource(links[i])) !== over[i] || !(await pictureShown(links[i])))
            fail(`${page}: MouseOver ${i + 1} does not show ${over[i]} under the focus`);
    }
    const all = await tab.evaluate(() => document.querySelectorAll('a[href]').length);
    if (seen.size !== all)
        fail(`${page}: Tab reached ${seen.size} of ${all} links`);
    if (reached.size !== links.length)
        fail(`${page}: Tab reached ${reached.size} of ${links.length} MouseOver links`);
    for (let i = 0; i < links.length; ++i) {
        if ((await imageSource(links[i])) !== normal[i])
            fail(`${page}: MouseOver ${i + 1} does not go back to ${normal[i]} after the focus`);
    }
    return { mouseOvers: links.length, outlined: seen.size };
}

async function checkInChromium(folder) {
    const chromium = await launchChromium();
    try {
        for (const page of allPages) {
            const classic = classicPages.includes(page);
            const { tab, refused } = await openAsPhone(chromium.browser, folder, page);
            const m = await tab.evaluate(measureLayout);
            const violations = await runAxe(tab);
            const { mouseOvers, outlined } = classic ? {} : await checkLinks(page, tab);
            const drawn = Math.round(m.smallestText * m.scale * 10) / 10;
            console.log(`chromium ${label(page)}: laid out ` +
                `${m.layoutWidth} px at scale ${m.scale.toFixed(2)}, scrolls ${m.scrollWidth} ` +
                `px wide; smallest text ${m.smallestText} px, drawn at ${drawn} px; widest ` +
                `picture ${Math.round(m.widestPicture)} px; axe: ` +
                `${violations.length ? violations.join(', ') : 'no violations'}` +
                (classic ? '' : `; ${mouseOvers} MouseOvers tried by mouse and by Tab; ` +
                    `${outlined} links outlined under the focus`));
            // What fails a page: for a classic page, only a request beyond its folder.
            const faults = [
                [refused.length, `asked for ${refused.join(', ')}`],
                [m.layoutWidth !== phone.width || m.scale !== 1,
                    `laid out ${m.layoutWidth} px at scale ${m.scale}`],
                [m.scrollWidth > phone.width || m.rightmostPicture > phone.width,
                    `scrolls sideways (${m.scrollWidth} px, a picture to ` +
                    `${m.rightmostPicture} px)`],
                [!(m.smallestText >= 16), `text of ${m.smallestText} px`],
                [m.unloaded.length, `pictures not shown: ${m.unloaded.join(', ')}`],
                [m.overlaps.length, `things side by side overlap: ${m.overlaps.join(' | ')}`],
                [!m.mainFillsBody, 'the text column is narrower than the phone'],
                [violations.length, `axe-core violations: ${violations.join(', ')}`],
            ];
            for (const [bad, why] of classic ? faults.slice(0, 1) : faults) {
                if (bad)
                    fail(`${page}: ${why}`);
            }
            await tab.close();
            if (!classic)
                await checkWide(chromium.browser, folder, page);
        }
    } finally {
        await chromium.close();
    }
}

// A computer's window: the longest line of text in characters, where the
// column stands, and whether anything leaves it or overlaps.
function measureWide() {
    // Characters drawn on each line of each block, by the line's top.
    const blocks = new Map();
    const walker = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT);
    const range = document.createRange();
    for (let node = walker.nextNode(); node; node = walker.nextNode()) {
        if (!node.textContent.trim())
            continue;
        const block = node.parentElement.closest('p, h1, h2, h3, div, main, body');
        const lines = blocks.get(block) ?? new Map();
        blocks.set(block, lines);
        for (let i = 0; i < node.length; ++i) {
            range.setStart(node, i);
            range.setEnd(node, i + 1);
            const box = range.getClientRects()[0];
            if (box && box.width > 0)
                lines.set(Math.round(box.top), (lines.get(Math.round(box.top)) ?? 0) + 1);
        }
    }
    let longest = 0;
    let longestText = '';
    for (const [block, lines] of blocks) {
        for (const [top, count] of lines) {
            if (count > longest) {
                longest = count;
                longestText = `${block.tagName} at ${top} px`;
            }
        }
    }
    const main = document.querySelector('main').getBoundingClientRect();
    const outside = [...document.querySelectorAll('main img, main p, main h1, main h2, main h3, ' +
        'main .side')].filter((e) => {
        const box = e.getBoundingClientRect();
        return box.left < main.left - 0.5 || box.right > main.right + 0.5;
    }).map((e) => e.outerHTML.slice(0, 60));
    const overlaps = [];
    for (const row of document.querySelectorAll('.side')) {
        const boxes = [...row.children].map((child) => child.getBoundingClientRect());
        for (let i = 1; i < boxes.length; ++i) {
            const a = boxes[i - 1];
            const b = boxes[i];
            if (a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom)
                overlaps.push(row.outerHTML.slice(0, 60));
        }
    }
    // Rows side by side stay so on a wide screen.
    const stacked = [...document.querySelectorAll('.side')].filter((row) => {
        const tops = [...row.children].map((child) => child.getBoundingClientRect().top);
        const bottoms = [...row.children].map((child) => child.getBoundingClientRect().bottom);
        return Math.max(...tops) >= Math.min(...bottoms);
    }).map((row) => row.outerHTML.slice(0, 60));
    return {
        longest, longestText, left: main.left, right: main.right,
        scrollWidth: document.documentElement.scrollWidth, outside, overlaps, stacked,
    };
}

// One pixel of the screen as [red, green, blue]: a PNG of one pixel is its
// filter byte and the pixel, whichever filter was chosen.
async function pixel(tab, x, y) {
    const { inflateSync } = await import('node:zlib');
    const png = Buffer.from(
        await tab.screenshot({ clip: { x, y, width: 1, height: 1 }, type: 'png' }));
    const chunks = [];
    for (let at = 8; at < png.length;) {
        const length = png.readUInt32BE(at);
        if (png.toString('latin1', at + 4, at + 8) === 'IDAT')
            chunks.push(png.subarray(at + 8, at + 8 + length));
        at += 12 + length;
    }
    return [...inflateSync(Buffer.concat(chunks)).subarray(1, 4)];
}

async function checkWide(browser, folder, page) {
    const { tab } = await openAsPhone(browser, folder, page, desktop);
    const m = await tab.evaluate(measureWide);
    console.log(`chromium ${page} at ${desktop.width} px: longest line ${m.longest} characters ` +
        `(${m.longestText}), column ${Math.round(m.left)} to ${Math.round(m.right)} px`);
    const centre = (m.left + m.right) / 2;
    const faults = [
        [m.longest > longestLine, `a line of ${m.longest} characters (${m.longestText})`],
        [Math.abs(centre - desktop.width / 2) > 1, `the column's centre is at ${centre} px`],
        [m.scrollWidth > desktop.width, `scrolls sideways (${m.scrollWidth} px)`],
        [m.outside.length, `leaves the column: ${m.outside.join(' | ')}`],
        [m.overlaps.length, `things side by side overlap: ${m.overlaps.join(' | ')}`],
        [m.stacked.length, `things side by side stack: ${m.stacked.join(' | ')}`],
    ];
    // every.html's tile is plain 0xFFFDF4 at (16, 16) of each 64 pixels:
    // the background shows there at the window's far left and far right.
    if (page === 'every.html') {
        for (const x of [16, desktop.width - 64 + 16]) {
            const [r, g, b] = await pixel(tab, x, 64 * 14 + 16);
            if (Math.abs(r - 0xFF) > 2 || Math.abs(g - 0xFD) > 2 || Math.abs(b - 0xF4) > 2)
                faults.push([true, `no background at ${x} px: rgb(${r}, ${g}, ${b})`]);
        }
    }
    for (const [bad, why] of faults) {
        if (bad)
            fail(`${page} at ${desktop.width} px: ${why}`);
    }
    await tab.close();
}

async function takeScreenshots(folder, out) {
    const chromium = await launchChromium();
    try {
        for (const [page, name] of [['classic-photo.html', 'phone-classic.png'],
            ['worked-photo.html', 'phone-modern.png']]) {
            const { tab } = await openAsPhone(chromium.browser, folder, page,
                { ...phone, deviceScaleFactor: 2 });
            // The screen as it is: a capture beyond it would lay the page out anew.
            await tab.screenshot({ path: join(out, name), captureBeyondViewport: false });
            console.log(`wrote ${join(out, name)}`);
            await tab.close();
        }
    } finally {
        await chromium.close();
    }
}

// What a script finds in each page on a phone: what Tarnwell's own phone
// view is measured against.
async function measureOnPhone(folder, script, pages) {
    const chromium = await launchChromium();
    const found = {};
    try {
        for (const page of pages) {
            const { tab } = await openAsPhone(chromium.browser, folder, page);
            found[page] = await tab.evaluate(script);
            await tab.close();
        }
    } finally {
        await chromium.close();
    }
    console.log(JSON.stringify(found));
}

const [mode, folderArgument, outArgument, ...more] = process.argv.slice(2);
if (!folderArgument || !['vnu', 'chromium', 'screenshots', 'phone'].includes(mode) ||
    (mode === 'screenshots' || mode === 'phone') !== Boolean(outArgument)) {
    console.error('usage: node check_pages.mjs vnu|chromium FOLDER\n' +
        '       node check_pages.mjs screenshots FOLDER OUT\n' +
        '       node check_pages.mjs phone FOLDER SCRIPT PAGE...');
    process.exit(2);
}
if (mode === 'phone')
    await measureOnPhone(resolve(folderArgument), outArgument, more);
else {
    const checks = { vnu: checkWithVnu, chromium: checkInChromium, screenshots: takeScreenshots };
    await checks[mode](resolve(folderArgument), outArgument && resolve(outArgument));
}
for (const why of failures)
    console.error(`FAIL: ${why}`);
process.exit(failures.length ? 1 : 0);
