// The web checks on the pages web_pages writes: every.html, worked.html and
// worked-photo.html, modern; classic.html and classic-photo.html, classic:
//   node check_pages.mjs vnu FOLDER          the Nu HTML checker finds nothing
//                                            in the modern pages
//   node check_pages.mjs chromium FOLDER     as a phone in headless Chromium:
//                                            layout, text size, axe-core, MouseOver
//   node check_pages.mjs screenshots FOLDER OUT   the worked example with the
//                                            photo on a phone, classic and modern
//   node check_pages.mjs phone FOLDER SCRIPT PAGE...   the value of SCRIPT in
//                                            each page on a phone, as JSON
// The classic pages are measured beside the modern ones and never fail a check.
// A missing tool skips (exit 77) unless TARNWELL_WEB_CHECKS=required.

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

const failures = [];
const fail = (why) => failures.push(why);
const label = (page) => (classicPages.includes(page) ? `${page} (classic, measured)` : page);

function skipOrFail(why) {
    if (process.env.TARNWELL_WEB_CHECKS === 'required') {
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
    return {
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
                [violations.length, `axe-core violations: ${violations.join(', ')}`],
            ];
            for (const [bad, why] of classic ? faults.slice(0, 1) : faults) {
                if (bad)
                    fail(`${page}: ${why}`);
            }
            await tab.close();
        }
    } finally {
        await chromium.close();
    }
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
