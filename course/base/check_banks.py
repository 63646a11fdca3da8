#!/usr/bin/env python3
"""Checks the bundled course material: pages, anchors, question banks,
users file, window texts and video clips.  Standard library only
(ffprobe is used for the clips when it is installed).

Run:  python3 course/base/check_banks.py      (exit code 0 = all good)
"""
import csv
import io
import os
import re
import shutil
import subprocess
import sys
from collections import Counter

BASE = os.path.dirname(os.path.abspath(__file__))
COURSE = os.path.dirname(BASE)
errors = []


def err(msg):
    errors.append(msg)
    print('ERROR:', msg)


def read_text(path):
    raw = open(path, 'rb').read()
    if raw.startswith(b'\xef\xbb\xbf'):
        err('%s starts with a BOM' % path)
    return raw.decode('utf-8')


# ------------------------------------------------------------ pages
RU_WEEKS = ['%d Неделя' % n for n in range(1, 16)]
KZ_WEEKS = ['%d Апта' % n for n in range(1, 16)] + ['8 Тарау']
RU_PAGES = ['Введение'] + RU_WEEKS + ['Видео', 'Литература']
KZ_PAGES = ['Кіріспе'] + KZ_WEEKS + ['Видеоматериал', '\u0408дебиет', 'Әдебиет']
LECTURE_WEEKS = {1, 4, 7, 10, 13}


def check_pages(folder, pages, weeks, lang):
    d = os.path.join(COURSE, folder)
    present = set(os.listdir(d))
    for p in pages:
        name = p + '.htm'
        if name not in present:
            err('%s/%s is missing' % (folder, name))
            continue
        t = read_text(os.path.join(d, name))
        if 'href="../style.css"' not in t:
            err('%s/%s does not link ../style.css' % (folder, name))
        if re.search(r'<script|https?://|@import|@font-face', t, re.I):
            err('%s/%s has a script or an external resource' % (folder, name))
        if p in weeks:
            pos = []
            for a in ('a1', 'a2', 'a3'):
                m = re.search(r'<h2 id="%s"><a name="%s"></a>([^<]*)</h2>' % (a, a), t)
                if not m:
                    err('%s/%s: anchor %s missing' % (folder, name, a))
                    pos.append(-1)
                    continue
                pos.append(m.start())
                week = int(p.split()[0])
                head = m.group(1)
                if lang == 'ru':
                    want = {'a1': 'Лекция', 'a2': 'Практическая работа №%d' % week, 'a3': 'Лабораторная работа №%d' % week} \
                        if week in LECTURE_WEEKS else \
                        {'a1': 'Практическая работа №%d' % week, 'a2': 'Лабораторная работа №%d' % week}
                else:
                    want = {'a1': 'Дәріс', 'a2': 'Практикалық жұмыс №%d' % week, 'a3': 'Зертханалық жұмыс №%d' % week} \
                        if week in LECTURE_WEEKS else \
                        {'a1': 'Практикалық жұмыс №%d' % week, 'a2': 'Зертханалық жұмыс №%d' % week}
                if a in want and head != want[a]:
                    err('%s/%s: %s heading is %r, expected %r' % (folder, name, a, head, want[a]))
            if pos != sorted(pos):
                err('%s/%s: anchors are not in the order a1, a2, a3' % (folder, name))
    extra = present - {p + '.htm' for p in pages}
    if extra:
        err('%s has unexpected files: %s' % (folder, sorted(extra)))
    print('%s: %d pages checked' % (folder, len(pages)))


# ------------------------------------------------------------ banks
KZ_LETTERS = set('әғқңөұүһіӘҒҚҢӨҰҮҺІ')


def check_bank(name):
    path = os.path.join(BASE, name)
    text = read_text(path)
    rows = list(csv.reader(io.StringIO(text, newline='')))
    if rows[0] != ['num', 'tekst', 'a', 'b', 'c', 'd', 'e', 'otvet']:
        err('%s: bad header %r' % (name, rows[0]))
    body = rows[1:]
    if len(body) != 400:
        err('%s: %d rows instead of 400' % (name, len(body)))
    texts = set()
    for i, r in enumerate(body, start=1):
        if len(r) != 8:
            err('%s row %d: %d fields' % (name, i, len(r)))
            continue
        if r[0] != str(i):
            err('%s row %d: num is %r' % (name, i, r[0]))
        if r[7] not in ('a', 'b', 'c', 'd', 'e'):
            err('%s row %d: otvet is %r' % (name, i, r[7]))
        opts = r[2:7]
        if any(not o.strip() for o in opts) or len(set(opts)) != 5:
            err('%s row %d: options are empty or repeated' % (name, i))
        if r[1] in texts:
            err('%s row %d: repeated question text' % (name, i))
        texts.add(r[1])
        if name.endswith('_kz.csv') and not (KZ_LETTERS & set(r[1])):
            err('%s row %d: no Kazakh letters in the question' % (name, i))
    dist = Counter(r[7] for r in body)
    print('%s: %d rows, %d distinct texts, otvet %s' % (name, len(body), len(texts),
                                                      ' '.join('%s=%d' % (k, dist[k]) for k in 'abcde')))
    if any(dist[k] != 80 for k in 'abcde'):
        err('%s: otvet is not spread 80/80/80/80/80' % name)
    return body


def check_users():
    text = read_text(os.path.join(BASE, 'user1.csv'))
    rows = list(csv.reader(io.StringIO(text, newline='')))
    if rows[0] != ['user', 'glava']:
        err('user1.csv: bad header %r' % rows[0])
    body = rows[1:]
    filled = [r for r in body if r[1]]
    print('user1.csv: %d users, %d with glava' % (len(body), len(filled)))
    if len(body) != 5 or len(filled) != 3:
        err('user1.csv: expected 5 users, 3 of them with glava')


def check_frontmatter():
    text = read_text(os.path.join(COURSE, 'frontmatter.txt'))
    kv = dict(line.split('=', 1) for line in text.splitlines() if line)
    need = ['institution1', 'institution2', 'course1', 'course2'] + ['title%d' % i for i in range(1, 19)]
    for k in need:
        if k not in kv or not kv[k].strip():
            err('frontmatter.txt: %s missing' % k)
        elif len(kv[k]) > (45 if not k.startswith('title') else 55):
            err('frontmatter.txt: %s is too long (%d)' % (k, len(kv[k])))
    if set(kv) - set(need):
        err('frontmatter.txt: unexpected keys %s' % sorted(set(kv) - set(need)))
    print('frontmatter.txt: %d keys' % len(kv))


def check_videos():
    probe = shutil.which('ffprobe')
    for i in range(1, 6):
        p = os.path.join(COURSE, 'video', '%d.avi' % i)
        if not os.path.exists(p):
            err('video/%d.avi missing' % i)
            continue
        size = os.path.getsize(p)
        if not probe:
            print('video/%d.avi: %d bytes (ffprobe not installed)' % (i, size))
            continue
        out = subprocess.run([probe, '-v', 'error', '-show_entries', 'format=format_name,duration:stream=codec_type,codec_name',
                              '-of', 'default=nw=1', p], capture_output=True, text=True).stdout
        info = dict(l.split('=', 1) for l in out.splitlines() if '=' in l)
        dur = float(info.get('duration', 0))
        print('video/%d.avi: %d bytes, %s, %s, %.1f s' % (i, size, info.get('format_name'), info.get('codec_name'), dur))
        if info.get('format_name') != 'avi' or info.get('codec_type') != 'video' or not 3 <= dur <= 6 or size > 300 * 1024:
            err('video/%d.avi is not a 3-6 s AVI video under 300 KB' % i)


def check_words():
    # words that must not appear in the course files (built from parts so
    # that this script does not contain them itself)
    bad = re.compile('|'.join(['s' + 'pec', 'p' + r'art\s+\d+\.\d+']), re.I)
    for root, _, files in os.walk(COURSE):
        for f in files:
            if f.endswith('.avi'):
                continue
            p = os.path.join(root, f)
            t = open(p, encoding='utf-8', errors='replace').read()
            m = bad.search(t)
            if m:
                err('%s contains %r' % (os.path.relpath(p, COURSE), m.group()))


def check_parallel():
    ru = check_bank('test.csv')
    kz = check_bank('test_kz.csv')
    if [r[7] for r in ru] != [r[7] for r in kz]:
        err('test.csv and test_kz.csv do not have the same right letters')


CHECKS = [lambda: check_pages('web', RU_PAGES, RU_WEEKS, 'ru'),
          lambda: check_pages('web_kz', KZ_PAGES, KZ_WEEKS, 'kz'),
          check_parallel, check_users, check_frontmatter, check_videos, check_words]
passed = failed = 0
for check in CHECKS:
    before = len(errors)
    check()
    if len(errors) == before:
        passed += 1
    else:
        failed += 1
print('%d passed, %d failed' % (passed, failed))
sys.exit(1 if failed else 0)
