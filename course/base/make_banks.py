#!/usr/bin/env python3
"""Generates the question banks test.csv (Russian) and test_kz.csv (Kazakh).

Python 3 standard library only; the output is fully determined by SEED.
Both banks hold the same 400 questions in the same order with the same right
letters: row N of test_kz.csv is the Kazakh version of row N of test.csv.

Run:  python3 course/base/make_banks.py
"""
import csv
import math
import os
import random
import re

SEED = 20250901
TOTAL = 400
LETTERS = 'abcde'
HERE = os.path.dirname(os.path.abspath(__file__))

rng = random.Random(SEED)


# ---------------------------------------------------------------- helpers
def L(ru, kz=None):
    """A text in both languages; a single argument means 'the same text'."""
    return (ru, ru if kz is None else kz)


def as_pair(x):
    if isinstance(x, tuple):
        return x
    return (str(x), str(x))


def code(text):
    return text.strip('\n')


def pick_wrong(correct, candidates, filler=None):
    """Four distinct wrong options (pairs) different from the correct one."""
    c = as_pair(correct)
    out = []
    seen = {c[0], c[1]}
    for x in candidates:
        p = as_pair(x)
        if p[0] in seen or p[1] in seen or p[0] == '' or p[1] == '':
            continue
        seen.add(p[0])
        seen.add(p[1])
        out.append(p)
        if len(out) == 4:
            return out
    if filler is None and c[0] == c[1] and re.search(r'\d', c[0]):
        filler = lambda: perturb(c[0])
    tries = 0
    while len(out) < 4:
        tries += 1
        if filler is None or tries > 500:
            raise ValueError('not enough distractors for %r' % (correct,))
        p = as_pair(filler())
        if p[0] in seen or p[1] in seen:
            continue
        seen.add(p[0])
        seen.add(p[1])
        out.append(p)
    return out


def perturb(text):
    """Changes one number of a text by a small amount (a fallback distractor)."""
    nums = list(re.finditer(r'\d+', text))
    m = rng.choice(nums)
    v = int(m.group()) + rng.choice((-3, -2, -1, 1, 2, 3))
    v = abs(v)
    return text[:m.start()] + str(v) + text[m.end():]


def num_wrong(correct, candidates, spread=5, nonneg=True):
    def filler():
        d = rng.randint(1, spread) * rng.choice((-1, 1))
        v = correct + d
        if nonneg and v < 0:
            v = correct + abs(d)
        return v
    cands = [c for c in candidates if not (nonneg and isinstance(c, int) and c < 0)]
    rng.shuffle(cands)
    return pick_wrong(correct, cands, filler)


def cpp_div(a, b):
    q = abs(a) // abs(b)
    return q if (a >= 0) == (b >= 0) else -q


def cpp_mod(a, b):
    return a - cpp_div(a, b) * b


def cpp_double(v):
    """How cout prints a double with default settings."""
    s = '%.6g' % v
    return s


WHAT_PRINTS = L('Что выведет фрагмент программы на C++?',
                'C++ бағдарламасының үзіндісі не шығарады?')


def q_code(head, body):
    return (head[0] + '\n\n' + body, head[1] + '\n\n' + body)


# ---------------------------------------------------------------- templates
def t_for_sum():
    a = rng.randint(0, 6)
    b = a + rng.randint(4, 16)
    k = rng.randint(1, 4)
    body = code('''
int s = 0;
for (int i = %d; i <= %d; i += %d)
    s += i;
cout << s;''' % (a, b, k))
    ans = sum(range(a, b + 1, k))
    cands = [sum(range(a, b, k)), sum(range(a + k, b + 1, k)), sum(range(a, b + 1)),
             len(range(a, b + 1, k)), ans + b, ans - a if a else ans + 1]
    return q_code(WHAT_PRINTS, body), ans, num_wrong(ans, cands, 6)


def t_while_div():
    n = rng.randint(20, 5000)
    d = rng.randint(2, 5)
    body = code('''
int n = %d, c = 0;
while (n > 0) {
    n /= %d;
    c++;
}
cout << c;''' % (n, d))
    c, m = 0, n
    while m > 0:
        m //= d
        c += 1
    return q_code(WHAT_PRINTS, body), c, num_wrong(c, [c - 1, c + 1, c + 2, n // d, c - 2], 3)


def t_loop_print():
    a = rng.randint(0, 5)
    k = rng.randint(1, 3)
    b = a + k * rng.randint(3, 5) + rng.randint(0, k - 1)
    body = code('''
for (int i = %d; i < %d; i += %d)
    cout << i << " ";''' % (a, b, k))
    seq = lambda r: ' '.join(str(x) for x in r)
    ans = seq(range(a, b, k))
    cands = [seq(range(a, b + 1, k)), seq(range(a + k, b, k)), seq(range(a, b)),
             seq(range(a + k, b + 1, k)), seq(range(a, b - k, k)), seq(range(a, b, k + 1))]
    return q_code(WHAT_PRINTS, body), ans, pick_wrong(ans, cands)


def t_binsearch_count():
    n = rng.choice([rng.randint(5, 100), rng.randint(100, 5000), rng.randint(5000, 3000000),
                    2 ** rng.randint(3, 20), 2 ** rng.randint(3, 20) - 1])
    text = L('Какое наибольшее число итераций (сравнений ключа со средним элементом) '
             'выполнит двоичный поиск в упорядоченном массиве из %d элементов?' % n,
             '%d элементтен тұратын реттелген массивте екілік іздеу ең көп дегенде '
             'неше итерация (кілтті ортаңғы элементпен салыстыру) орындайды?' % n)
    ans = int(math.floor(math.log2(n))) + 1
    cands = [ans - 1, ans + 1, n // 2, n, ans + 2, int(math.sqrt(n))]
    return text, ans, num_wrong(ans, cands, 3)


def t_linear_count():
    n = rng.choice([rng.randint(10, 99), rng.randint(100, 999) * 10, rng.randint(2, 90) * 1000])
    text = L('Сколько сравнений с искомым значением в худшем случае выполнит линейный поиск '
             'в неупорядоченном массиве из %d элементов?' % n,
             '%d элементтен тұратын реттелмеген массивте сызықтық іздеу ең нашар жағдайда '
             'ізделетін мәнмен неше салыстыру орындайды?' % n)
    ans = n
    cands = [n // 2, n - 1, int(math.floor(math.log2(n))) + 1, n * n, n + 1, 2 * n]
    return text, ans, num_wrong(ans, cands, 10)


def t_div_mod():
    a = rng.randint(11, 99)
    b = rng.randint(2, 9)
    c = rng.randint(2, 9)
    body = code('''
int a = %d, b = %d, c = %d;
cout << a / b * c + a %% b;''' % (a, b, c))
    ans = (a // b) * c + a % b
    cands = [a // (b * c) + a % b, (a // b) * c, int(a / b * c) + a % b, a // b + c + a % b,
             (a // b) * (c + a % b)]
    if (a * c) % b:
        cands.append(('%.2f' % (a / b * c)).rstrip('0').rstrip('.').replace('.', ','))
    return q_code(WHAT_PRINTS, body), ans, num_wrong(ans, cands, 4)


def t_precedence():
    a, b, c, d, e = (rng.randint(1, 9) for _ in range(5))
    d = d * e + rng.randint(0, e - 1)
    body = code('''
int r = %d + %d * %d - %d / %d;
cout << r;''' % (a, b, c, d, e))
    ans = a + b * c - d // e
    cands = [(a + b) * c - d // e, cpp_div((a + b) * c - d, e), a + b * (c - d // e),
             a + b * c - d, ans + 1, (a + b * c - d) // e if a + b * c - d >= 0 else ans - 1]
    return q_code(WHAT_PRINTS, body), ans, num_wrong(ans, cands, 4, nonneg=False)


def t_bool_expr():
    a, b, c, d, e, f = (rng.randint(0, 9) for _ in range(6))
    form = rng.randint(0, 2)
    if form == 0:
        expr = '%d > %d && %d != %d || !(%d < %d)' % (a, b, c, d, e, f)
        v = (a > b and c != d) or not (e < f)
    elif form == 1:
        expr = '!(%d >= %d) || %d == %d && %d < %d' % (a, b, c, d, e, f)
        v = (not (a >= b)) or (c == d and e < f)
    else:
        expr = '(%d + %d > %d) && !(%d %% 2 == 0) || %d > %d' % (a, b, c, d + 1, e, f)
        v = ((a + b > c) and not ((d + 1) % 2 == 0)) or e > f
    body = 'cout << (%s);' % expr
    ans = '1' if v else '0'
    other = '0' if v else '1'
    wrong = [other, 'true' if v else 'false', 'false' if v else 'true',
             L('ошибка компиляции', 'компиляция қатесі')]
    return q_code(WHAT_PRINTS, body), ans, pick_wrong(ans, wrong)


TYPES = ['int', 'double', 'float', 'char', 'bool', 'long long']


def t_expr_type():
    n = rng.randint(2, 99)
    m = rng.randint(2, 9)
    ch = rng.choice('abcdxyzABQ')
    kind = rng.randint(0, 10)
    exprs = [
        ('%d' % n, 'int'), ('%d.5' % n, 'double'), ('%d.5f' % n, 'float'),
        ("'%s'" % ch, 'char'), ('%d > %d' % (n, m), 'bool'), ('%dLL' % n, 'long long'),
        ('%d / %d' % (n, m), 'int'), ('%d / %d.0' % (n, m), 'double'),
        ("'%s' + %d" % (ch, m), 'int'), ('%d * 1.0f' % n, 'float'), ('%d + 2LL' % n, 'long long'),
    ]
    e, t = exprs[kind]
    text = L('Какой тип имеет выражение  %s  в языке C++?' % e,
             'C++ тілінде  %s  өрнегінің типі қандай?' % e)
    return text, t, pick_wrong(t, rng.sample(TYPES, len(TYPES)))


def inversions(a):
    return sum(1 for i in range(len(a)) for j in range(i + 1, len(a)) if a[i] > a[j])


def arr_str(a):
    return '{' + ', '.join(str(x) for x in a) + '}'


def t_bubble_swaps():
    n = rng.randint(5, 7)
    a = rng.sample(range(1, 30), n)
    text = L('Сколько обменов выполнит сортировка пузырьком (по возрастанию) для массива %s?' % arr_str(a),
             '%s массиві үшін көпіршікті сұрыптау (өсу ретімен) неше алмастыру орындайды?' % arr_str(a))
    ans = inversions(a)
    cands = [n * (n - 1) // 2, n - 1, ans + 1, ans - 1, ans + 2, n]
    return text, ans, num_wrong(ans, cands, 3)


def bubble_pass(a):
    a = list(a)
    for j in range(len(a) - 1):
        if a[j] > a[j + 1]:
            a[j], a[j + 1] = a[j + 1], a[j]
    return a


def t_bubble_pass():
    n = rng.randint(5, 6)
    while True:
        a = rng.sample(range(1, 20), n)
        if bubble_pass(a) != sorted(a) and bubble_pass(a) != a:
            break
    text = L('Каким станет массив %s после первого прохода сортировки пузырьком по возрастанию?' % arr_str(a),
             'Өсу ретімен көпіршікті сұрыптаудың бірінші өтуінен кейін %s массиві қандай болады?' % arr_str(a))
    ans = arr_str(bubble_pass(a))
    sel = list(a)
    m = sel.index(min(sel))
    sel[0], sel[m] = sel[m], sel[0]
    one = list(a)
    for j in range(n - 1):
        if one[j] > one[j + 1]:
            one[j], one[j + 1] = one[j + 1], one[j]
            break
    cands = [arr_str(sorted(a)), arr_str(sel), arr_str(one), arr_str(bubble_pass(bubble_pass(a))),
             arr_str(a[::-1]), arr_str(a[1:] + a[:1])]
    return text, ans, pick_wrong(ans, cands)


def selection_steps(a, k):
    a = list(a)
    for i in range(k):
        m = i
        for j in range(i + 1, len(a)):
            if a[j] < a[m]:
                m = j
        a[i], a[m] = a[m], a[i]
    return a


def insertion_steps(a, k):
    a = list(a)
    for i in range(1, k + 1):
        x, j = a[i], i - 1
        while j >= 0 and a[j] > x:
            a[j + 1] = a[j]
            j -= 1
        a[j + 1] = x
    return a


def t_selection():
    n = rng.randint(5, 6)
    k = rng.randint(1, 2)
    while True:
        a = rng.sample(range(1, 40), n)
        if selection_steps(a, k) != sorted(a) and selection_steps(a, k) != selection_steps(a, k - 1):
            break
    text = L('Каким станет массив %s после %s сортировки выбором (по возрастанию)?' %
             (arr_str(a), 'первого шага' if k == 1 else 'двух шагов'),
             'Таңдау арқылы сұрыптаудың (өсу ретімен) %s кейін %s массиві қандай болады?' %
             ('бірінші қадамынан' if k == 1 else 'екі қадамынан', arr_str(a)))
    ans = arr_str(selection_steps(a, k))
    cands = [arr_str(selection_steps(a, k + 1)), arr_str(bubble_pass(a)), arr_str(insertion_steps(a, k)),
             arr_str(selection_steps(a, k - 1)) if k > 1 else arr_str(sorted(a)), arr_str(sorted(a)),
             arr_str(a[::-1])]
    return text, ans, pick_wrong(ans, cands)


def t_insertion():
    n = rng.randint(5, 6)
    k = rng.randint(2, 3)
    while True:
        a = rng.sample(range(1, 40), n)
        if insertion_steps(a, k) != sorted(a) and insertion_steps(a, k) != insertion_steps(a, k - 1):
            break
    text = L('Массив %s сортируется вставками по возрастанию. Каким он станет, когда будут вставлены '
             'элементы с индексами 1..%d (после %d шагов внешнего цикла)?' % (arr_str(a), k, k),
             '%s массиві кірістіру арқылы өсу ретімен сұрыпталады. 1..%d индексті элементтер кірістірілгенде '
             '(сыртқы циклдың %d қадамынан кейін) ол қандай болады?' % (arr_str(a), k, k))
    ans = arr_str(insertion_steps(a, k))
    cands = [arr_str(insertion_steps(a, k - 1)), arr_str(insertion_steps(a, min(k + 1, n - 1))),
             arr_str(selection_steps(a, k)), arr_str(bubble_pass(a)), arr_str(sorted(a)), arr_str(a[::-1])]
    return text, ans, pick_wrong(ans, cands)


def t_recursion_value():
    kind = rng.randint(0, 5)
    if kind == 0:
        n = rng.randint(3, 9)
        body = '''
int f(int n) {
    if (n <= 1) return 1;
    return n * f(n - 1);
}
// ...
cout << f(%d);''' % n
        g = lambda k: math.factorial(max(k, 1))
        ans = g(n)
        cands = [g(n - 1), g(n + 1), n * n, ans + 1, 2 ** n]
    elif kind == 1:
        n = rng.randint(4, 20)
        body = '''
int f(int n) {
    if (n == 0) return 0;
    return n + f(n - 1);
}
// ...
cout << f(%d);''' % n
        g = lambda k: k * (k + 1) // 2
        ans = g(n)
        cands = [g(n - 1), g(n + 1), n * n, ans + 1, n]
    elif kind == 2:
        b = rng.randint(2, 3)
        n = rng.randint(3, 8)
        body = '''
int f(int n) {
    if (n == 0) return 1;
    return %d * f(n - 1);
}
// ...
cout << f(%d);''' % (b, n)
        ans = b ** n
        cands = [b ** (n - 1), b ** (n + 1), b * n, n ** b, ans + 1]
    elif kind == 3:
        n = rng.randint(100, 99999)
        body = '''
int f(int n) {
    if (n < 10) return n;
    return n %% 10 + f(n / 10);
}
// ...
cout << f(%d);''' % n
        ans = sum(int(ch) for ch in str(n))
        cands = [len(str(n)), ans - int(str(n)[0]), ans + 1, int(str(n)[::-1]) % 100, ans - 1]
    elif kind == 4:
        x = rng.randint(2, 12)
        a, b = x * rng.randint(2, 15), x * rng.randint(2, 15)
        body = '''
int f(int a, int b) {
    if (b == 0) return a;
    return f(b, a %% b);
}
// ...
cout << f(%d, %d);''' % (a, b)
        ans = math.gcd(a, b)
        cands = [a * b // ans, min(a, b), abs(a - b), ans * 2, 1]
    else:
        n = rng.randint(5, 14)
        body = '''
int f(int n) {
    if (n <= 1) return n;
    return f(n - 1) + f(n - 2);
}
// ...
cout << f(%d);''' % n
        fib = [0, 1]
        for _ in range(30):
            fib.append(fib[-1] + fib[-2])
        ans = fib[n]
        cands = [fib[n - 1], fib[n + 1], fib[n] + 1, 2 * n, fib[n - 2]]
    return q_code(WHAT_PRINTS, code(body)), ans, num_wrong(ans, cands, 5)


def t_fib_calls():
    n = rng.randint(3, 14)
    calls = {0: 1, 1: 1}
    for k in range(2, 20):
        calls[k] = 1 + calls[k - 1] + calls[k - 2]
    body = code('''
int fib(int n) {
    if (n <= 1) return n;
    return fib(n - 1) + fib(n - 2);
}''')
    text = L('Сколько всего вызовов функции fib (включая первый) будет выполнено при вычислении fib(%d)?\n\n%s' % (n, body),
             'fib(%d) есептегенде fib функциясы барлығы (біріншісін қоса) неше рет шақырылады?\n\n%s' % (n, body))
    fibs = [0, 1]
    for _ in range(20):
        fibs.append(fibs[-1] + fibs[-2])
    ans = calls[n]
    cands = [calls[n - 1], calls[n + 1], fibs[n], 2 ** n, n, ans - 1, ans + 1]
    return text, ans, num_wrong(ans, cands, 4)


def t_array_loop():
    n = rng.randint(5, 8)
    a = [rng.randint(-9, 30) for _ in range(n)]
    kind = rng.randint(0, 4)
    init = 'int a[] = %s;\nint n = %d;\n' % (arr_str(a), n)
    if kind == 0:
        body = init + 'int m = a[0];\nfor (int i = 1; i < n; i++)\n    if (a[i] > m) m = a[i];\ncout << m;'
        ans = max(a)
        cands = [min(a), a[0], a[-1], sorted(a)[-2], sum(a)]
    elif kind == 1:
        body = init + 'int m = a[0], k = 0;\nfor (int i = 1; i < n; i++)\n    if (a[i] < m) { m = a[i]; k = i; }\ncout << k;'
        ans = a.index(min(a))
        cands = [a.index(max(a)), n - 1 - ans, ans + 1, min(a), 0, n]
    elif kind == 2:
        body = init + 'int c = 0;\nfor (int i = 0; i < n; i++)\n    if (a[i] % 2 == 0) c++;\ncout << c;'
        ans = sum(1 for x in a if x % 2 == 0)
        cands = [n - ans, ans + 1, ans - 1, n, sum(1 for i in range(0, n, 2))]
    elif kind == 3:
        body = init + 'int s = 0;\nfor (int i = 0; i < n; i += 2)\n    s += a[i];\ncout << s;'
        ans = sum(a[0::2])
        cands = [sum(a[1::2]), sum(a), sum(x for x in a if x % 2 == 0), ans + a[-1], ans - a[0]]
    else:
        body = init + 'int c = 0;\nfor (int i = 1; i < n; i++)\n    if (a[i] > a[i - 1]) c++;\ncout << c;'
        ans = sum(1 for i in range(1, n) if a[i] > a[i - 1])
        cands = [n - 1 - ans, ans + 1, ans - 1, n - 1, n]
    return q_code(WHAT_PRINTS, body), ans, num_wrong(ans, cands, 4, nonneg=False)


WORDS = ['programming', 'algorithm', 'informatics', 'recursion', 'structure', 'variable',
         'function', 'compiler', 'iteration', 'debugging', 'sorting', 'complexity', 'keyboard',
         'pointer', 'template', 'database', 'network', 'computer', 'register', 'semantics']


def t_string_ops():
    s = rng.choice(WORDS)
    kind = rng.randint(0, 3)
    if kind == 0:
        p = rng.randint(0, len(s) - 4)
        ln = rng.randint(2, 4)
        body = 'string s = "%s";\ncout << s.substr(%d, %d);' % (s, p, ln)
        ans = s[p:p + ln]
        cands = [s[p + 1:p + ln + 1], s[p - 1:p + ln - 1] if p > 0 else s[p:p + ln + 1], s[p:p + ln - 1],
                 s[p:p + ln + 1], s[ln:ln + p] if p else s[ln:ln + 2]]
        cands = [c for c in cands if c]
    elif kind == 1:
        body = 'string s = "%s";\ncout << s.length();' % s
        ans = len(s)
        cands = [len(s) - 1, len(s) + 1, len(s) * 8, len(set(s))]
    elif kind == 2:
        ch = rng.choice([c for c in s])
        body = "string s = \"%s\";\ncout << s.find('%s');" % (s, ch)
        ans = s.find(ch)
        cands = [ans + 1, s.rfind(ch), s.count(ch), ans - 1 if ans > 0 else len(s), -1]
    else:
        i = rng.randint(1, len(s) - 1)
        body = 'string s = "%s";\ncout << s[%d];' % (s, i)
        ans = s[i]
        cands = [s[i - 1], s[i + 1] if i + 1 < len(s) else s[0], s[0], s[-1]] + list('xqwz')
    return q_code(WHAT_PRINTS, body), ans, pick_wrong(ans, cands) if kind in (0, 3) else num_wrong(ans, cands, 3, nonneg=False)


def t_count_char():
    s = rng.choice(WORDS)
    ch = rng.choice(sorted(set(s)))
    body = "string s = \"%s\";\nint c = 0;\nfor (int i = 0; i < (int)s.length(); i++)\n    if (s[i] == '%s') c++;\ncout << c;" % (s, ch)
    ans = s.count(ch)
    cands = [s.find(ch), len(s), ans + 1, ans - 1, len(set(s)), s.rfind(ch)]
    return q_code(WHAT_PRINTS, body), ans, num_wrong(ans, cands, 2)


def t_ref_param():
    A, B = rng.randint(1, 20), rng.randint(1, 20)
    k, m = rng.randint(1, 9), rng.randint(1, 9)
    form = rng.randint(0, 1)
    if form == 0:
        body = code('''
void f(int x, int &y) {
    x += %d;
    y += %d;
}
// ...
int a = %d, b = %d;
f(a, b);
cout << a << " " << b;''' % (k, m, A, B))
        ans = '%d %d' % (A, B + m)
        cands = ['%d %d' % (A + k, B + m), '%d %d' % (A, B), '%d %d' % (A + k, B), '%d %d' % (B + m, A)]
    else:
        body = code('''
void f(int &x, int y) {
    x = x * %d;
    y = y - %d;
}
// ...
int a = %d, b = %d;
f(a, b);
cout << a << " " << b;''' % (k + 1, m, A, B))
        ans = '%d %d' % (A * (k + 1), B)
        cands = ['%d %d' % (A * (k + 1), B - m), '%d %d' % (A, B), '%d %d' % (A, B - m), '%d %d' % (B, A * (k + 1))]
    return q_code(WHAT_PRINTS, body), ans, pick_wrong(ans, cands)


COMPLEXITY_FRAGMENTS = [
    ('for (int i = 0; i < n; i++)\n    s += a[i];', 'O(n)'),
    ('for (int i = 0; i < n; i++)\n    for (int j = 0; j < n; j++)\n        s += a[i] * a[j];', 'O(n²)'),
    ('for (int i = 1; i < n; i *= 2)\n    s++;', 'O(log n)'),
    ('s = a[0] + a[n - 1];', 'O(1)'),
    ('for (int i = 0; i < n; i++)\n    for (int j = 1; j < n; j *= 2)\n        s++;', 'O(n log n)'),
    ('for (int i = 0; i < n; i++)\n    for (int j = 0; j < n; j++)\n        for (int k = 0; k < n; k++)\n            s++;', 'O(n³)'),
    ('for (int i = 0; i < n; i++)\n    for (int j = 0; j < i; j++)\n        s++;', 'O(n²)'),
    ('for (int i = 0; i < n; i += 2)\n    s += a[i];', 'O(n)'),
    ('for (int i = 0; i < n; i++)\n    for (int k = 0; k < 100; k++)\n        s++;', 'O(n)'),
    ('for (int i = n; i > 0; i /= 3)\n    s++;', 'O(log n)'),
    ('int f(int n) {\n    if (n == 0) return 1;\n    return f(n - 1) + f(n - 1);\n}', 'O(2ⁿ)'),
    ('for (int i = 0; i < n; i++) s += a[i];\nfor (int j = 0; j < n; j++) s -= a[j];', 'O(n)'),
    ('for (int d = 1; d * d <= n; d++)\n    if (n % d == 0) s++;', 'O(√n)'),
    ('sort(a, a + n);\nfor (int i = 0; i < n; i++)\n    s += a[i];', 'O(n log n)'),
]
CLASSES = ['O(1)', 'O(log n)', 'O(√n)', 'O(n)', 'O(n log n)', 'O(n²)', 'O(n³)', 'O(2ⁿ)']
_complexity_order = []


def t_complexity():
    if not _complexity_order:
        _complexity_order.extend(rng.sample(range(len(COMPLEXITY_FRAGMENTS)), len(COMPLEXITY_FRAGMENTS)))
    frag, ans = COMPLEXITY_FRAGMENTS[_complexity_order.pop()]
    text = L('Какова асимптотическая временная сложность фрагмента (n — размер входа)?\n\n' + frag,
             'Үзіндінің асимптотикалық уақыттық күрделілігі қандай (n — кіріс өлшемі)?\n\n' + frag)
    return text, ans, pick_wrong(ans, rng.sample(CLASSES, len(CLASSES)))


def fmt_num(x):
    if abs(x - round(x)) < 1e-9:
        return '%d' % round(x)
    return ('%.2f' % x).rstrip('0').rstrip('.')


def t_scaling():
    p = rng.randint(1, 3)
    k = rng.randint(2, 10)
    t = rng.choice([0.1, 0.2, 0.5, 1, 2, 3, 4, 5])
    n = rng.choice([1000, 2000, 5000, 10000, 20000])
    name = {1: 'O(n)', 2: 'O(n²)', 3: 'O(n³)'}[p]
    text = L('Программа с алгоритмом сложности %s обрабатывает %d элементов за %s с. '
             'Сколько секунд примерно потребуется ей для %d элементов?' % (name, n, fmt_num(t).replace('.', ','), n * k),
             '%s күрделілігі бар алгоритмі бар бағдарлама %d элементті %s с ішінде өңдейді. '
             '%d элемент үшін оған шамамен неше секунд қажет?' % (name, n, fmt_num(t).replace('.', ','), n * k))
    f = lambda v: fmt_num(v).replace('.', ',')
    ans = f(t * k ** p)
    cands = [f(t * k), f(t * k ** 2), f(t * k ** 3), f(t * k ** 4), f(t + k), f(t * k * math.log2(k))]
    return text, ans, pick_wrong(ans, cands)


def binsearch_iters(a, x):
    lo, hi, it = 0, len(a) - 1, 0
    while lo <= hi:
        mid = lo + (hi - lo) // 2
        it += 1
        if a[mid] == x:
            return it, mid
        if a[mid] < x:
            lo = mid + 1
        else:
            hi = mid - 1
    return it, -1


def t_binsearch_trace():
    n = rng.randint(7, 15)
    a = sorted(rng.sample(range(1, 100), n))
    if rng.random() < 0.75:
        x = rng.choice(a)
    else:
        x = rng.choice([v for v in range(1, 100) if v not in a])
    it, pos = binsearch_iters(a, x)
    body = code('''
int a[] = %s;
int left = 0, right = %d, it = 0;
while (left <= right) {
    int mid = (left + right) / 2;
    it++;
    if (a[mid] == %d) break;
    if (a[mid] < %d) left = mid + 1;
    else right = mid - 1;
}
cout << it;''' % (arr_str(a), n - 1, x, x))
    ans = it
    cands = [it - 1, it + 1, (a.index(x) + 1) if x in a else n, int(math.floor(math.log2(n))) + 1, it + 2]
    return q_code(WHAT_PRINTS, body), ans, num_wrong(ans, cands, 3)


def t_switch():
    x = rng.randint(1, 5)
    v = [rng.randint(1, 9) for _ in range(4)]
    brk_after = rng.randint(1, 3)
    lines = ['int x = %d, y = 0;' % x, 'switch (x) {']
    labels = [1, 2, 3]
    for idx, lab in enumerate(labels):
        stmt = '    case %d: y += %d;' % (lab, v[idx])
        if lab == brk_after:
            stmt += ' break;'
        lines.append(stmt)
    lines.append('    default: y += %d;' % v[3])
    lines.append('}')
    lines.append('cout << y;')
    body = '\n'.join(lines)
    # simulate fall-through
    y = 0
    start = labels.index(x) if x in labels else 3
    for idx in range(start, 4):
        y += v[idx]
        if idx < 3 and labels[idx] == brk_after:
            break
    ans = y
    cands = [v[start] if start < 4 else v[3], sum(v), sum(v[start:]), v[3], ans + v[3], 0]
    return q_code(WHAT_PRINTS, body), ans, num_wrong(ans, cands, 4)


def t_grade():
    score = rng.choice([rng.randint(0, 100), rng.choice([49, 50, 59, 60, 74, 75, 89, 90, 100, 0])])
    body = code('''
int score = %d;
if (score >= 90) cout << "A";
else if (score >= 75) cout << "B";
else if (score >= 60) cout << "C";
else if (score >= 50) cout << "D";
else cout << "F";''' % score)
    ans = 'A' if score >= 90 else 'B' if score >= 75 else 'C' if score >= 60 else 'D' if score >= 50 else 'F'
    return q_code(WHAT_PRINTS, body), ans, pick_wrong(ans, ['A', 'B', 'C', 'D', 'F'])


def t_matrix():
    n = rng.randint(3, 5)
    m = rng.randint(3, 5)
    kind = rng.randint(0, 2)
    f = rng.choice([('i * %d + j' % m, lambda i, j: i * m + j), ('i + j', lambda i, j: i + j),
                    ('i * j', lambda i, j: i * j), ('(i + 1) * (j + 2)', lambda i, j: (i + 1) * (j + 2))])
    head = 'int a[%d][%d];\nfor (int i = 0; i < %d; i++)\n    for (int j = 0; j < %d; j++)\n        a[i][j] = %s;\n' % (n, m, n, m, f[0])
    g = f[1]
    if kind == 0:
        r, c = rng.randint(0, n - 1), rng.randint(0, m - 1)
        body = head + 'cout << a[%d][%d];' % (r, c)
        ans = g(r, c)
        cands = [g(c, r), g(r, c) + 1, g(r - 1, c) if r else g(r + 1, c), g(r, c + 1) if c + 1 < m else g(r, c - 1), r * c, r + c]
    elif kind == 1:
        k = min(n, m)
        body = head + 'int s = 0;\nfor (int i = 0; i < %d; i++)\n    s += a[i][i];\ncout << s;' % k
        ans = sum(g(i, i) for i in range(k))
        cands = [sum(g(i, k - 1 - i) for i in range(k)), sum(g(0, j) for j in range(m)), ans + 1, ans - g(k - 1, k - 1), ans + g(0, 1)]
    else:
        r = rng.randint(0, n - 1)
        body = head + 'int s = 0;\nfor (int j = 0; j < %d; j++)\n    s += a[%d][j];\ncout << s;' % (m, r)
        ans = sum(g(r, j) for j in range(m))
        cands = [sum(g(i, r) for i in range(n)) if r < m else ans + 2, sum(g(r, j) for j in range(m - 1)), ans + m, ans - 1, ans + 1]
    return q_code(WHAT_PRINTS, body), ans, num_wrong(ans, cands, 5)


def t_do_while():
    A = rng.randint(0, 20)
    k = rng.randint(1, 4)
    B = A + rng.choice([-3, 0, 1, rng.randint(3, 15), rng.randint(3, 15)])
    body = code('''
int i = %d, c = 0;
do {
    c++;
    i += %d;
} while (i < %d);
cout << c;''' % (A, k, B))
    i, c = A, 0
    while True:
        c += 1
        i += k
        if not (i < B):
            break
    w, i2 = 0, A
    while i2 < B:
        w += 1
        i2 += k
    cands = [w, c + 1, c - 1, max(B - A, 0), c + 2]
    return q_code(WHAT_PRINTS, body), c, num_wrong(c, cands, 3)


def t_binary():
    kind = rng.randint(0, 1)
    v = rng.randint(5, 255)
    b = bin(v)[2:]
    if kind == 0:
        text = L('Чему равно двоичное число %s₂ в десятичной системе счисления?' % b,
                 '%s₂ екілік саны ондық санау жүйесінде неге тең?' % b)
        ans = v
        cands = [int(b[::-1], 2), v + 1, v - 1, int(b, 8) if all(ch in '01' for ch in b) and len(b) < 5 else v + 2, v * 2, v // 2]
        return text, ans, num_wrong(ans, cands, 4)
    text = L('Как записывается десятичное число %d в двоичной системе счисления?' % v,
             '%d ондық саны екілік санау жүйесінде қалай жазылады?' % v)
    ans = b
    cands = [b[::-1], bin(v + 1)[2:], bin(v - 1)[2:], bin(v * 2)[2:], bin(v // 2)[2:], b + '1']
    return text, ans, pick_wrong(ans, cands)


def t_struct():
    X, Y, k = rng.randint(1, 9), rng.randint(1, 9), rng.randint(2, 9)
    form = rng.randint(0, 1)
    if form == 0:
        body = code('''
struct P { int x, y; };
P a = {%d, %d};
P b = a;
b.x += %d;
a.y += b.x;
cout << a.x << " " << a.y << " " << b.y;''' % (X, Y, k))
        ans = '%d %d %d' % (X, Y + X + k, Y)
        cands = ['%d %d %d' % (X + k, Y + X + k, Y + X + k), '%d %d %d' % (X, Y + X, Y), '%d %d %d' % (X + k, Y + X + k, Y),
                 '%d %d %d' % (X, Y + X + k, Y + X + k), '%d %d %d' % (X, Y, Y)]
    else:
        body = code('''
struct Box { int w, h; };
void grow(Box b) { b.w *= %d; }
void growRef(Box &b) { b.h *= %d; }
// ...
Box q = {%d, %d};
grow(q);
growRef(q);
cout << q.w << " " << q.h;''' % (k, k, X, Y))
        ans = '%d %d' % (X, Y * k)
        cands = ['%d %d' % (X * k, Y * k), '%d %d' % (X * k, Y), '%d %d' % (X, Y), '%d %d' % (Y * k, X)]
    return q_code(WHAT_PRINTS, body), ans, pick_wrong(ans, cands)


def t_file_sum():
    n = rng.randint(4, 7)
    nums = [rng.randint(1, 30) for _ in range(n)]
    stop = rng.randint(1, n)
    tokens = [str(x) for x in nums]
    if stop < n:
        tokens.insert(stop, rng.choice(['x', 'abc', 'end', '#']))
    content = ' '.join(tokens)
    body = code('''
ifstream fin("data.txt");
int x, s = 0;
while (fin >> x)
    s += x;
cout << s;''')
    text = L('Файл data.txt содержит строку «%s». Что выведет фрагмент?\n\n%s' % (content, body),
             'data.txt файлында «%s» жолы бар. Үзінді не шығарады?\n\n%s' % (content, body))
    ans = sum(nums[:stop])
    cands = [sum(nums), sum(nums[:stop - 1]), sum(nums[:stop]) + nums[-1], 0, stop, ans + nums[0]]
    return text, ans, num_wrong(ans, cands, 5)


def t_flowchart():
    a = rng.randint(2, 9)
    x = rng.randint(0, 15)
    m = rng.randint(2, 4)
    text = L('Блок-схема выполняет действия: ввод x; если x > %d, то y = x − %d, иначе y = %d − x; '
             'затем y = y · %d; вывод y. Что будет выведено при x = %d?' % (a, a, a, m, x),
             'Блок-сызба мына әрекеттерді орындайды: x енгізу; егер x > %d болса, y = x − %d, әйтпесе y = %d − x; '
             'содан кейін y = y · %d; y шығару. x = %d болғанда не шығады?' % (a, a, a, m, x))
    y = (x - a) if x > a else (a - x)
    ans = y * m
    cands = [y, (a - x) * m if x > a else (x - a) * m, x * m - a, ans + m, (x + a) * m]
    return text, ans, num_wrong(ans, cands, 4, nonneg=False)


def t_break_continue():
    n = rng.randint(8, 15)
    k = rng.randint(2, 4)
    m = rng.randint(4, n - 1)
    body = code('''
int s = 0;
for (int i = 1; i <= %d; i++) {
    if (i %% %d == 0) continue;
    if (i > %d) break;
    s += i;
}
cout << s;''' % (n, k, m))
    s = 0
    for i in range(1, n + 1):
        if i % k == 0:
            continue
        if i > m:
            break
        s += i
    cands = [sum(range(1, m + 1)), sum(i for i in range(1, n + 1) if i % k), sum(i for i in range(1, m + 1) if i % k == 0),
             s + m + 1, s - 1, sum(i for i in range(1, m) if i % k)]
    return q_code(WHAT_PRINTS, body), s, num_wrong(s, cands, 4)


def t_nested_count():
    n = rng.randint(3, 12)
    kind = rng.randint(0, 3)
    loops = [('for (int j = 0; j < %d; j++)' % n, lambda i: n),
             ('for (int j = 0; j < i; j++)', lambda i: i),
             ('for (int j = i; j < %d; j++)' % n, lambda i: n - i),
             ('for (int j = 0; j <= i; j++)', lambda i: i + 1)]
    inner, cnt = loops[kind]
    body = 'int c = 0;\nfor (int i = 0; i < %d; i++)\n    %s\n        c++;\ncout << c;' % (n, inner)
    ans = sum(cnt(i) for i in range(n))
    cands = [n * n, n * (n - 1) // 2, n * (n + 1) // 2, n, 2 * n, ans + 1]
    return q_code(WHAT_PRINTS, body), ans, num_wrong(ans, cands, 3)


def t_doubling_loop():
    N = rng.randint(5, 5000)
    f = rng.choice([2, 3])
    body = 'int c = 0;\nfor (int i = 1; i < %d; i *= %d)\n    c++;\ncout << c;' % (N, f)
    c, i = 0, 1
    while i < N:
        c += 1
        i *= f
    cands = [c - 1, c + 1, N // f, int(math.log2(N)), c + 2]
    return q_code(WHAT_PRINTS, body), c, num_wrong(c, cands, 3)


def t_char_arith():
    kind = rng.randint(0, 2)
    if kind == 0:
        base = rng.choice('Aa')
        k = rng.randint(1, 20)
        body = "char c = '%s' + %d;\ncout << c;" % (base, k)
        ans = chr(ord(base) + k)
        cands = [chr(ord(base) + k - 1), chr(ord(base) + k + 1), str(ord(base) + k), chr(ord(base) + k).swapcase(), base]
    elif kind == 1:
        ch = rng.choice('bcdefghkmpqrstuvwxyz')
        body = "cout << '%s' - 'a';" % ch
        ans = ord(ch) - ord('a')
        cands = [ans + 1, ans - 1, ord(ch), ch, ans + 2]
        return q_code(WHAT_PRINTS, body), ans, pick_wrong(ans, [str(c) for c in cands])
    else:
        d = rng.randint(0, 9)
        body = "char d = '%d';\ncout << d - '0' + %d;" % (d, d)
        ans = 2 * d
        cands = [ord(str(d)) + d, d, '%d%d' % (d, d), ans + 1, ans - 1 if ans else 48]
        return q_code(WHAT_PRINTS, body), ans, pick_wrong(ans, [str(c) for c in cands])
    return q_code(WHAT_PRINTS, body), ans, pick_wrong(ans, cands)


def t_increment():
    A = rng.randint(1, 30)
    kind = rng.randint(0, 1)
    if kind == 0:
        body = 'int x = %d;\nint y = x++;\nint z = ++x;\ncout << x << " " << y << " " << z;' % A
        ans = '%d %d %d' % (A + 2, A, A + 2)
        cands = ['%d %d %d' % (A + 2, A + 1, A + 2), '%d %d %d' % (A + 1, A, A + 1), '%d %d %d' % (A + 2, A + 1, A + 1),
                 '%d %d %d' % (A, A, A), '%d %d %d' % (A + 2, A, A + 1)]
    else:
        k = rng.randint(2, 5)
        body = 'int x = %d;\nx += %d;\nx *= 2;\nx %%= 7;\ncout << x;' % (A, k)
        ans = str(((A + k) * 2) % 7)
        cands = [str((A + k) * 2), str((A + k) % 7), str((A * 2 + k) % 7), str(((A + k) * 2) // 7), str(int(ans) + 1)]
    return q_code(WHAT_PRINTS, body), ans, pick_wrong(ans, cands)


def t_boundary():
    a = rng.randint(-10, 50)
    b = a + rng.randint(5, 100)
    text = L('Программа принимает целое число от %d до %d включительно. Какой набор тестов соответствует '
             'методу граничных значений?' % (a, b),
             'Бағдарлама %d-ден %d-ге дейінгі (қоса алғанда) бүтін санды қабылдайды. Шекаралық мәндер әдісіне '
             'қай тесттер жинағы сәйкес келеді?' % (a, b))
    s = lambda *v: '{' + ', '.join(str(x) for x in v) + '}'
    ans = s(a - 1, a, b, b + 1)
    cands = [s(a, b), s(a + 1, b - 1), s(a, (a + b) // 2, b), s(a - 1, b + 1), s(0, a, b)]
    return text, ans, pick_wrong(ans, cands)


def t_mixed_division():
    a = rng.randint(5, 40)
    b = rng.randint(2, 9)
    while a % b == 0:
        a += 1
    kind = rng.randint(0, 3)
    exprs = [('%d / %d * 1.0' % (a, b), (a // b) * 1.0),
             ('%d * 1.0 / %d' % (a, b), a / b),
             ('(double)(%d / %d)' % (a, b), float(a // b)),
             ('(double)%d / %d' % (a, b), a / b)]
    e, v = exprs[kind]
    body = 'cout << %s;' % e
    ans = cpp_double(v)
    cands = [cpp_double(a / b), cpp_double(a // b), cpp_double(a // b + 1), cpp_double(round(a / b, 1)),
             str(a % b), cpp_double(b / a)]
    return q_code(WHAT_PRINTS, body), ans, pick_wrong(ans, cands)


def t_gcd_loop():
    g = rng.randint(2, 15)
    a, b = g * rng.randint(2, 20), g * rng.randint(2, 20)
    body = code('''
int a = %d, b = %d;
while (b != 0) {
    int r = a %% b;
    a = b;
    b = r;
}
cout << a;''' % (a, b))
    ans = math.gcd(a, b)
    cands = [a * b // ans, min(a, b), abs(a - b), ans * 2, 1, a % b]
    return q_code(WHAT_PRINTS, body), ans, num_wrong(ans, cands, 3)


TEMPLATES = [
    t_for_sum, t_while_div, t_loop_print, t_binsearch_count, t_linear_count, t_div_mod,
    t_precedence, t_bool_expr, t_expr_type, t_bubble_swaps, t_bubble_pass, t_selection,
    t_insertion, t_recursion_value, t_fib_calls, t_array_loop, t_string_ops, t_count_char,
    t_ref_param, t_complexity, t_scaling, t_binsearch_trace, t_switch, t_grade, t_matrix,
    t_do_while, t_binary, t_struct, t_file_sum, t_flowchart, t_break_continue,
    t_nested_count, t_doubling_loop, t_char_arith, t_increment, t_boundary,
    t_mixed_division, t_gcd_loop,
]
# how many questions each template may give at most (small pools get small limits)
LIMITS = {t_complexity: len(COMPLEXITY_FRAGMENTS), t_grade: 8, t_linear_count: 6, t_expr_type: 10,
          t_bool_expr: 8, t_boundary: 6, t_char_arith: 8, t_fib_calls: 8}


# ---------------------------------------------------------------- concept questions
# (question ru, question kz, right (ru, kz), four wrong (ru, kz))
CONCEPTS = [
    ('Какое свойство алгоритма означает, что он состоит из отдельных шагов, выполняемых один за другим?',
     'Алгоритмнің бірінен соң бірі орындалатын жеке қадамдардан тұратынын білдіретін қасиеті қайсы?',
     ('дискретность', 'дискреттілік'),
     [('массовость', 'жалпылық'), ('результативность', 'нәтижелілік'), ('понятность', 'түсініктілік'), ('эффективность', 'тиімділік')]),
    ('Какое свойство алгоритма нарушено в указании «посолить по вкусу»?',
     '«Дәміне қарай тұз салыңыз» нұсқауында алгоритмнің қай қасиеті бұзылған?',
     ('определённость (детерминированность)', 'анықтылық (детерминделгендік)'),
     [('дискретность', 'дискреттілік'), ('массовость', 'жалпылық'), ('конечность', 'шектілік'), ('рекурсивность', 'рекурсивтілік')]),
    ('Какое свойство алгоритма означает пригодность для целого класса задач с разными исходными данными?',
     'Алгоритмнің бастапқы деректері әртүрлі есептердің тұтас класына жарамдылығын білдіретін қасиеті қайсы?',
     ('массовость', 'жалпылық'),
     [('дискретность', 'дискреттілік'), ('понятность', 'түсініктілік'), ('определённость', 'анықтылық'), ('конечность', 'шектілік')]),
    ('Каким блоком на блок-схеме изображается проверка условия?',
     'Блок-сызбада шартты тексеру қай блокпен бейнеленеді?',
     ('ромбом', 'ромбпен'),
     [('прямоугольником', 'тіктөртбұрышпен'), ('параллелограммом', 'параллелограммен'), ('овалом', 'сопақшамен'), ('кругом', 'шеңбермен')]),
    ('Каким блоком на блок-схеме изображаются ввод и вывод данных?',
     'Блок-сызбада деректерді енгізу және шығару қай блокпен бейнеленеді?',
     ('параллелограммом', 'параллелограммен'),
     [('ромбом', 'ромбпен'), ('прямоугольником', 'тіктөртбұрышпен'), ('овалом', 'сопақшамен'), ('шестиугольником', 'алтыбұрышпен')]),
    ('Каким блоком на блок-схеме обозначаются начало и конец алгоритма?',
     'Блок-сызбада алгоритмнің басы мен соңы қай блокпен белгіленеді?',
     ('овалом (терминатором)', 'сопақшамен (терминатормен)'),
     [('ромбом', 'ромбпен'), ('прямоугольником', 'тіктөртбұрышпен'), ('параллелограммом', 'параллелограммен'), ('стрелкой', 'нұсқамамен')]),
    ('Из каких базовых структур, по теореме Бёма — Якопини, можно построить любой алгоритм?',
     'Бём — Якопини теоремасы бойынша кез келген алгоритмді қандай негізгі құрылымдардан құруға болады?',
     ('следование, ветвление, цикл', 'сызықтық, тармақталу, цикл'),
     [('ввод, вывод, присваивание', 'енгізу, шығару, меншіктеу'), ('функция, массив, цикл', 'функция, массив, цикл'),
      ('рекурсия, сортировка, поиск', 'рекурсия, сұрыптау, іздеу'), ('только цикл и ветвление', 'тек цикл мен тармақталу')]),
    ('От имени какого учёного происходит слово «алгоритм»?',
     '«Алгоритм» сөзі қай ғалымның есімінен шыққан?',
     ('аль-Хорезми', 'әл-Хорезми'),
     [('аль-Фараби', 'әл-Фараби'), ('Евклид', 'Евклид'), ('Ада Лавлейс', 'Ада Лавлейс'), ('Джордж Буль', 'Джордж Буль')]),
    ('Какое из имён нельзя использовать как идентификатор переменной в C++?',
     'C++ тілінде қай атауды айнымалының идентификаторы ретінде пайдалануға болмайды?',
     ('2count', '2count'), [('count2', 'count2'), ('_count', '_count'), ('Count', 'Count'), ('count_2', 'count_2')]),
    ('Что произойдёт при переполнении переменной знакового типа int в C++?',
     'C++ тілінде таңбалы int типті айнымалы асып кеткенде не болады?',
     ('поведение программы не определено, обычно получается «неожиданное» число', 'бағдарламаның әрекеті анықталмаған, әдетте «күтпеген» сан шығады'),
     [('компилятор всегда выдаёт ошибку', 'компилятор әрқашан қате береді'), ('переменная автоматически становится long long', 'айнымалы автоматты түрде long long болады'),
      ('значение округляется до INT_MAX', 'мән INT_MAX-қа дейін дөңгелектенеді'), ('программа всегда печатает 0', 'бағдарлама әрқашан 0 шығарады')]),
    ('Чем отличается операция == от операции = в C++?',
     'C++ тілінде == амалы = амалынан немен ерекшеленеді?',
     ('== сравнивает значения, = присваивает значение', '== мәндерді салыстырады, = мән меншіктейді'),
     [('ничем, это синонимы', 'ештеңемен, бұлар синонимдер'), ('== присваивает, = сравнивает', '== меншіктейді, = салыстырады'),
      ('== работает только со строками', '== тек жолдармен жұмыс істейді'), ('= сравнивает вещественные числа', '= нақты сандарды салыстырады')]),
    ('Почему в выражении if (n != 0 && s / n > 5) не произойдёт деления на ноль?',
     'Неліктен if (n != 0 && s / n > 5) өрнегінде нөлге бөлу болмайды?',
     ('при ложном левом операнде && правый не вычисляется', '&& сол операнды жалған болса, оң операнд есептелмейді'),
     [('компилятор сам заменяет деление на ноль нулём', 'компилятор нөлге бөлуді өзі нөлмен алмастырады'),
      ('операнды && всегда вычисляются справа налево', '&& операндтары әрқашан оңнан солға есептеледі'),
      ('деление на ноль в C++ разрешено и даёт 0', 'C++ тілінде нөлге бөлуге рұқсат етілген және ол 0 береді'),
      ('потому что s всегда больше n', 'себебі s әрқашан n-нен үлкен')]),
    ('Что произойдёт в операторе switch, если в ветке case не написан break?',
     'switch операторында case тармағында break жазылмаса не болады?',
     ('выполнение продолжится в следующей ветке', 'орындалу келесі тармақта жалғасады'),
     [('возникнет ошибка компиляции', 'компиляция қатесі пайда болады'), ('switch завершится', 'switch аяқталады'),
      ('выполнится ветка default', 'default тармағы орындалады'), ('switch начнётся сначала', 'switch басынан басталады')]),
    ('Какой цикл гарантированно выполняет тело хотя бы один раз?',
     'Қай цикл денені кемінде бір рет міндетті түрде орындайды?',
     ('do-while (с постусловием)', 'do-while (соңғышартты)'),
     [('while (с предусловием)', 'while (алғышартты)'), ('for', 'for'), ('любой цикл', 'кез келген цикл'), ('никакой', 'ешқайсысы')]),
    ('Что делает оператор continue внутри цикла?',
     'Цикл ішіндегі continue операторы не істейді?',
     ('прекращает текущую итерацию и переходит к следующей', 'ағымдағы итерацияны тоқтатып, келесісіне өтеді'),
     [('немедленно завершает цикл', 'циклды дереу аяқтайды'), ('завершает программу', 'бағдарламаны аяқтайды'),
      ('повторяет текущую итерацию', 'ағымдағы итерацияны қайталайды'), ('ничего не делает', 'ештеңе істемейді')]),
    ('Что такое инвариант цикла?',
     'Цикл инварианты дегеніміз не?',
     ('утверждение, истинное перед каждой итерацией цикла', 'циклдың әр итерациясы алдында ақиқат болатын тұжырым'),
     [('переменная, которая не меняется в цикле', 'циклда өзгермейтін айнымалы'), ('число итераций цикла', 'циклдың итерациялар саны'),
      ('условие выхода из цикла', 'циклдан шығу шарты'), ('тело цикла без условия', 'шартсыз цикл денесі')]),
    ('Какой индекс имеет последний элемент массива из n элементов в C++?',
     'C++ тілінде n элементтен тұратын массивтің соңғы элементінің индексі қандай?',
     ('n − 1', 'n − 1'), [('n', 'n'), ('n + 1', 'n + 1'), ('1', '1'), ('0', '0')]),
    ('Что произойдёт при обращении к a[10] в массиве int a[10]?',
     'int a[10] массивінде a[10]-ға қатынағанда не болады?',
     ('выход за границы массива: поведение не определено', 'массив шекарасынан шығу: әрекет анықталмаған'),
     [('будет возвращён последний элемент', 'соңғы элемент қайтарылады'), ('массив автоматически увеличится', 'массив автоматты түрде үлкейеді'),
      ('будет возвращён 0', '0 қайтарылады'), ('компилятор всегда сообщит об ошибке', 'компилятор әрқашан қате туралы хабарлайды')]),
    ('Чем vector удобнее статического массива?',
     'vector статикалық массивтен немен ыңғайлы?',
     ('может менять размер и знает свою длину (size())', 'өлшемін өзгерте алады және өз ұзындығын біледі (size())'),
     [('элементы вектора могут быть разных типов', 'вектор элементтері әртүрлі типті болуы мүмкін'),
      ('вектор не требует памяти', 'вектор жадты қажет етпейді'), ('индексы вектора начинаются с 1', 'вектор индекстері 1-ден басталады'),
      ('вектор всегда отсортирован', 'вектор әрқашан сұрыпталған')]),
    ('Чем отличаются в C++ записи \'a\' и "a"?',
     'C++ тілінде \'a\' және "a" жазбаларының айырмашылығы неде?',
     ('\'a\' — символ типа char, "a" — строка', '\'a\' — char типті символ, "a" — жол'),
     [('ничем', 'ештеңемен'), ('\'a\' — строка, "a" — символ', '\'a\' — жол, "a" — символ'),
      ('\'a\' — число 97, "a" — число 65', '\'a\' — 97 саны, "a" — 65 саны'), ('обе записи ошибочны', 'екі жазба да қате')]),
    ('Почему cin >> s не читает строку «Hello world» целиком?',
     'Неліктен cin >> s «Hello world» жолын толық оқымайды?',
     ('операция >> читает до пробела; для всей строки нужен getline', '>> амалы бос орынға дейін оқиды; бүкіл жол үшін getline қажет'),
     [('строки длиннее 5 символов не читаются', '5 символдан ұзын жолдар оқылмайды'), ('нужно сначала вызвать sort', 'алдымен sort шақыру керек'),
      ('string не может хранить пробелы', 'string бос орындарды сақтай алмайды'), ('cin читает только числа', 'cin тек сандарды оқиды')]),
    ('Что возвращает s.find(t), если подстрока t не найдена?',
     'Егер t ішкі жолы табылмаса, s.find(t) не қайтарады?',
     ('string::npos', 'string::npos'), [('0', '0'), ('длину строки s', 's жолының ұзындығы'), ('пустую строку', 'бос жол'), ('false', 'false')]),
    ('Почему в C++ выражение "10" < "9" для строк типа string истинно?',
     'Неліктен C++ тілінде string типті жолдар үшін "10" < "9" өрнегі ақиқат?',
     ('строки сравниваются посимвольно, а символ \'1\' меньше \'9\'', 'жолдар символдап салыстырылады, ал \'1\' символы \'9\'-дан кіші'),
     [('10 меньше 9 в двоичной системе', 'екілік жүйеде 10 саны 9-дан кіші'), ('короткие строки всегда меньше', 'қысқа жолдар әрқашан кіші'),
      ('это ошибка компилятора', 'бұл компилятордың қатесі'), ('сравниваются длины строк', 'жолдардың ұзындықтары салыстырылады')]),
    ('Как передать параметр в функцию, чтобы функция могла изменить переменную вызывающей программы?',
     'Функция шақырушы бағдарламаның айнымалысын өзгерте алуы үшін параметрді қалай беру керек?',
     ('по ссылке (int &x)', 'сілтеме бойынша (int &x)'),
     [('по значению (int x)', 'мән бойынша (int x)'), ('по константной ссылке (const int &x)', 'тұрақты сілтеме бойынша (const int &x)'),
      ('через возвращаемое значение void', 'void қайтарылатын мәні арқылы'), ('никак, это невозможно', 'ешқалай, бұл мүмкін емес')]),
    ('Зачем параметр-вектор передают по константной ссылке (const vector<int> &v)?',
     'Неліктен вектор-параметрді тұрақты сілтеме бойынша (const vector<int> &v) береді?',
     ('чтобы не копировать вектор и запретить его изменение', 'векторды көшірмеу және оны өзгертуге тыйым салу үшін'),
     [('чтобы функция могла изменить вектор', 'функция векторды өзгерте алуы үшін'), ('чтобы вектор отсортировался', 'вектор сұрыпталуы үшін'),
      ('так требует синтаксис для всех векторов', 'барлық векторлар үшін синтаксис осыны талап етеді'), ('чтобы вектор стал глобальным', 'вектор ғаламдық болуы үшін')]),
    ('Что такое прототип функции?',
     'Функция прототипі дегеніміз не?',
     ('заголовок функции с точкой с запятой, объявляющий её до описания', 'функцияны сипаттамасынан бұрын жариялайтын нүктелі үтірі бар тақырып'),
     [('первая версия функции', 'функцияның бірінші нұсқасы'), ('функция без параметров', 'параметрсіз функция'),
      ('рекурсивный вызов функции', 'функцияның рекурсивті шақыруы'), ('функция типа void', 'void типті функция')]),
    ('Где видна локальная переменная, объявленная внутри функции?',
     'Функция ішінде жарияланған жергілікті айнымалы қай жерде көрінеді?',
     ('только внутри блока, где она объявлена', 'тек өзі жарияланған блоктың ішінде'),
     [('во всех функциях файла', 'файлдың барлық функцияларында'), ('только в main', 'тек main ішінде'),
      ('во всех файлах программы', 'бағдарламаның барлық файлдарында'), ('нигде', 'ешқайда')]),
    ('Что обязательно должно быть в правильной рекурсивной функции?',
     'Дұрыс рекурсивті функцияда міндетті түрде не болуы керек?',
     ('базовый случай и приближение к нему при каждом вызове', 'базалық жағдай және әр шақыруда оған жақындау'),
     [('цикл for', 'for циклы'), ('глобальная переменная', 'ғаламдық айнымалы'), ('не менее двух параметров', 'кемінде екі параметр'),
      ('оператор break', 'break операторы')]),
    ('К какой ошибке приводит рекурсия без базового случая?',
     'Базалық жағдайы жоқ рекурсия қандай қатеге әкеледі?',
     ('переполнению стека (stack overflow)', 'стектің толып кетуіне (stack overflow)'),
     [('ошибке компиляции', 'компиляция қатесіне'), ('делению на ноль', 'нөлге бөлуге'), ('выходу за границы строки', 'жол шекарасынан шығуға'),
      ('никакой ошибки не будет', 'ешқандай қате болмайды')]),
    ('Сколько ходов требуется для решения головоломки «Ханойская башня» из n дисков?',
     'n дискіден тұратын «Ханой мұнарасы» басқатырғышын шешу үшін неше жүріс қажет?',
     ('2ⁿ − 1', '2ⁿ − 1'), [('n²', 'n²'), ('2n', '2n'), ('n!', 'n!'), ('n − 1', 'n − 1')]),
    ('Что такое мемоизация?',
     'Мемоизация дегеніміз не?',
     ('сохранение уже вычисленных результатов функции для повторного использования', 'функцияның есептелген нәтижелерін қайта пайдалану үшін сақтау'),
     [('запись программы в память', 'бағдарламаны жадқа жазу'), ('удаление лишних переменных', 'артық айнымалыларды жою'),
      ('вид сортировки', 'сұрыптаудың бір түрі'), ('проверка программы на тестах', 'бағдарламаны тесттерде тексеру')]),
    ('Какая сортировка выполняет не более n − 1 обменов?',
     'Қай сұрыптау n − 1-ден көп алмастыру орындамайды?',
     ('сортировка выбором', 'таңдау арқылы сұрыптау'),
     [('сортировка пузырьком', 'көпіршікті сұрыптау'), ('сортировка вставками', 'кірістіру арқылы сұрыптау'),
      ('быстрая сортировка', 'жылдам сұрыптау'), ('любая сортировка', 'кез келген сұрыптау')]),
    ('Какая сортировка называется устойчивой?',
     'Қай сұрыптау орнықты деп аталады?',
     ('сохраняющая взаимный порядок элементов с равными ключами', 'кілттері тең элементтердің өзара ретін сақтайтын'),
     [('работающая за O(n log n)', 'O(n log n) уақытта жұмыс істейтін'), ('не использующая дополнительной памяти', 'қосымша жадты пайдаланбайтын'),
      ('не зависящая от входных данных', 'кіріс деректеріне тәуелсіз'), ('не содержащая рекурсии', 'рекурсиясы жоқ')]),
    ('Какова сложность сортировки слиянием в худшем случае?',
     'Ең нашар жағдайда біріктіру арқылы сұрыптаудың күрделілігі қандай?',
     ('O(n log n)', 'O(n log n)'), [('O(n²)', 'O(n²)'), ('O(n)', 'O(n)'), ('O(log n)', 'O(log n)'), ('O(2ⁿ)', 'O(2ⁿ)')]),
    ('На каком массиве сортировка вставками работает быстрее всего?',
     'Кірістіру арқылы сұрыптау қай массивте ең жылдам жұмыс істейді?',
     ('на уже упорядоченном', 'реттелген массивте'),
     [('на упорядоченном в обратном порядке', 'кері реттелген массивте'), ('на случайном', 'кездейсоқ массивте'),
      ('на массиве из одинаковых по модулю отрицательных чисел', 'модулі бірдей теріс сандар массивінде'), ('скорость всегда одинакова', 'жылдамдығы әрқашан бірдей')]),
    ('Какое условие необходимо для применения двоичного поиска?',
     'Екілік іздеуді қолдану үшін қандай шарт қажет?',
     ('массив должен быть упорядочен', 'массив реттелген болуы керек'),
     [('массив должен содержать чётное число элементов', 'массивте элементтер саны жұп болуы керек'),
      ('элементы массива должны быть положительными', 'массив элементтері оң болуы керек'),
      ('размер массива — степень двойки', 'массив өлшемі екінің дәрежесі'), ('никакого условия не нужно', 'ешқандай шарт қажет емес')]),
    ('Зачем в линейном поиске используют «барьер»?',
     'Неліктен сызықтық іздеуде «тосқауыл» пайдаланылады?',
     ('чтобы не проверять в каждой итерации выход за конец массива', 'әр итерацияда массив соңынан шығуды тексермеу үшін'),
     [('чтобы отсортировать массив', 'массивті сұрыптау үшін'), ('чтобы искать двоичным поиском', 'екілік іздеумен іздеу үшін'),
      ('чтобы найти все вхождения', 'барлық кездесулерді табу үшін'), ('чтобы уменьшить массив вдвое', 'массивті екі есе кішірейту үшін')]),
    ('Почему в двоичном поиске пишут mid = left + (right − left) / 2, а не (left + right) / 2?',
     'Неліктен екілік іздеуде (left + right) / 2 емес, mid = left + (right − left) / 2 деп жазады?',
     ('чтобы избежать переполнения при больших индексах', 'үлкен индекстерде асып кетуден сақтану үшін'),
     [('так быстрее сортировать', 'осылай сұрыптау жылдамырақ'), ('чтобы mid всегда был чётным', 'mid әрқашан жұп болуы үшін'),
      ('иначе поиск не завершится', 'әйтпесе іздеу аяқталмайды'), ('это требование компилятора', 'бұл компилятордың талабы')]),
    ('Как правильно читать числа из файла до его конца?',
     'Файлдан сандарды оның соңына дейін қалай дұрыс оқу керек?',
     ('while (fin >> x) { ... }', 'while (fin >> x) { ... }'),
     [('while (!fin.eof()) { fin >> x; ... }', 'while (!fin.eof()) { fin >> x; ... }'), ('for (;;) fin >> x;', 'for (;;) fin >> x;'),
      ('if (fin >> x) { ... }', 'if (fin >> x) { ... }'), ('while (fin) { }', 'while (fin) { }')]),
    ('Что происходит с существующим файлом при открытии ofstream f("a.txt") без дополнительных режимов?',
     'Бар файлды қосымша режимдерсіз ofstream f("a.txt") арқылы ашқанда онымен не болады?',
     ('его содержимое стирается', 'оның мазмұны өшіріледі'),
     [('данные дописываются в конец', 'деректер соңына қосылып жазылады'), ('файл открывается только для чтения', 'файл тек оқу үшін ашылады'),
      ('возникает ошибка', 'қате пайда болады'), ('создаётся копия файла', 'файлдың көшірмесі жасалады')]),
    ('Какой режим открытия позволяет дописывать данные в конец файла?',
     'Қай ашу режимі деректерді файлдың соңына қосып жазуға мүмкіндік береді?',
     ('ios::app', 'ios::app'), [('ios::in', 'ios::in'), ('ios::trunc', 'ios::trunc'), ('ios::binary', 'ios::binary'), ('ios::beg', 'ios::beg')]),
    ('Что такое структура (struct) в C++?',
     'C++ тіліндегі құрылым (struct) дегеніміз не?',
     ('пользовательский тип, объединяющий поля разных типов', 'әртүрлі типтегі өрістерді біріктіретін пайдаланушылық тип'),
     [('массив однотипных элементов', 'біртипті элементтер массиві'), ('функция без параметров', 'параметрсіз функция'),
      ('цикл с постусловием', 'соңғышартты цикл'), ('вид файла', 'файлдың бір түрі')]),
    ('Что делает присваивание b = a для двух переменных одного типа-структуры?',
     'Бір құрылым типіндегі екі айнымалы үшін b = a меншіктеуі не істейді?',
     ('копирует значения всех полей a в b', 'a-ның барлық өрістерінің мәндерін b-ға көшіреді'),
     [('делает b ссылкой на a', 'b-ны a-ға сілтеме етеді'), ('вызывает ошибку компиляции', 'компиляция қатесін тудырады'),
      ('копирует только первое поле', 'тек бірінші өрісті көшіреді'), ('сравнивает a и b', 'a мен b-ны салыстырады')]),
    ('Что означает запись f(n) = O(g(n))?',
     'f(n) = O(g(n)) жазбасы нені білдіреді?',
     ('f растёт не быстрее g с точностью до постоянного множителя', 'f тұрақты көбейткішке дейінгі дәлдікпен g-дан жылдам өспейді'),
     [('f всегда меньше g', 'f әрқашан g-дан кіші'), ('f и g равны', 'f пен g тең'), ('f растёт быстрее g', 'f g-дан жылдам өседі'),
      ('g является производной f', 'g — f-тің туындысы')]),
    ('Во сколько раз вырастет время работы алгоритма O(n³) при увеличении n в 10 раз?',
     'n 10 есе артқанда O(n³) алгоритмнің жұмыс уақыты неше есе артады?',
     ('в 1000 раз', '1000 есе'), [('в 10 раз', '10 есе'), ('в 30 раз', '30 есе'), ('в 100 раз', '100 есе'), ('в 3 раза', '3 есе')]),
    ('Какой из перечисленных классов сложности растёт быстрее всех?',
     'Аталған күрделілік кластарының қайсысы бәрінен жылдам өседі?',
     ('O(2ⁿ)', 'O(2ⁿ)'), [('O(n³)', 'O(n³)'), ('O(n log n)', 'O(n log n)'), ('O(n²)', 'O(n²)'), ('O(√n)', 'O(√n)')]),
    ('Какой вид ошибок находит компилятор?',
     'Компилятор қателердің қай түрін табады?',
     ('синтаксические ошибки', 'синтаксистік қателер'),
     [('логические ошибки', 'логикалық қателер'), ('ошибки в алгоритме', 'алгоритмдегі қателер'), ('деление на ноль во время работы', 'жұмыс кезінде нөлге бөлу'),
      ('неверный ответ на тесте', 'тесттегі қате жауап')]),
    ('Что такое тест в программировании?',
     'Бағдарламалауда тест дегеніміз не?',
     ('входные данные вместе с заранее определённым ожидаемым результатом', 'алдын ала анықталған күтілетін нәтижемен бірге кіріс деректері'),
     [('любой запуск программы', 'бағдарламаның кез келген іске қосылуы'), ('комментарий в программе', 'бағдарламадағы түсініктеме'),
      ('ошибка в программе', 'бағдарламадағы қате'), ('компиляция с ключом -Wall', '-Wall кілтімен компиляциялау')]),
    ('Какие значения проверяют методом граничных значений для диапазона [1; 12]?',
     'Шекаралық мәндер әдісімен [1; 12] ауқымы үшін қандай мәндер тексеріледі?',
     ('0, 1, 12, 13', '0, 1, 12, 13'), [('1, 6, 12', '1, 6, 12'), ('только 1 и 12', 'тек 1 және 12'), ('2, 11', '2, 11'), ('−1, 0, 6', '−1, 0, 6')]),
    ('Что делает макрос assert(условие)?',
     'assert(шарт) макросы не істейді?',
     ('аварийно останавливает программу с указанием строки, если условие ложно', 'шарт жалған болса, жолды көрсетіп, бағдарламаны апатты тоқтатады'),
     [('исправляет ошибку в условии', 'шарттағы қатені түзетеді'), ('выводит значение условия на экран', 'шарттың мәнін экранға шығарады'),
      ('пропускает следующую строку', 'келесі жолды өткізіп жібереді'), ('повторяет условие в цикле', 'шартты циклда қайталайды')]),
    ('Чем команда отладчика step отличается от next?',
     'Жөндеуіштің step командасы next командасынан немен ерекшеленеді?',
     ('step заходит внутрь вызываемой функции, next выполняет её целиком', 'step шақырылатын функцияның ішіне кіреді, next оны толық орындайды'),
     [('ничем', 'ештеңемен'), ('step завершает программу', 'step бағдарламаны аяқтайды'), ('next ставит точку останова', 'next тоқтау нүктесін қояды'),
      ('step выполняет программу до конца', 'step бағдарламаны соңына дейін орындайды')]),
    ('Что такое стресс-тестирование?',
     'Стресс-тестілеу дегеніміз не?',
     ('сравнение быстрого решения с медленным, но верным на множестве случайных входов', 'жылдам шешімді баяу, бірақ дұрыс шешіммен көптеген кездейсоқ кірістерде салыстыру'),
     [('запуск программы на очень медленном компьютере', 'бағдарламаны өте баяу компьютерде іске қосу'),
      ('проверка программы без компилятора', 'бағдарламаны компиляторсыз тексеру'), ('тестирование с одним тестом', 'бір тестпен тестілеу'),
      ('удаление отладочного вывода', 'жөндеу шығаруын жою')]),
    ('Сколько вопросов «да/нет» достаточно, чтобы гарантированно угадать число от 1 до 1000?',
     '1-ден 1000-ға дейінгі санды міндетті түрде табу үшін «иә/жоқ» түріндегі неше сұрақ жеткілікті?',
     ('10', '10'), [('100', '100'), ('500', '500'), ('32', '32'), ('7', '7')]),
]


# ---------------------------------------------------------------- build
def build():
    items = []          # (text pair, correct pair, wrong pairs)
    seen_ru, seen_kz = set(), set()

    def add(text, correct, wrong):
        if text[0] in seen_ru or text[1] in seen_kz:
            return False
        c = as_pair(correct)
        w = [as_pair(x) for x in wrong]
        for lang in (0, 1):
            opts = [c[lang]] + [x[lang] for x in w]
            if len(set(opts)) != 5 or any(not o.strip() for o in opts):
                raise ValueError('bad options %r' % (opts,))
        seen_ru.add(text[0])
        seen_kz.add(text[1])
        items.append((text, c, w))
        return True

    for ru, kz, right, wrong in CONCEPTS:
        assert add((ru, kz), right, wrong)
    n_concepts = len(items)

    per_template = {t: 0 for t in TEMPLATES}
    failures = {t: 0 for t in TEMPLATES}
    while len(items) < TOTAL:
        progressed = False
        for t in TEMPLATES:
            if len(items) >= TOTAL:
                break
            if per_template[t] >= LIMITS.get(t, 1000) or failures[t] > 200:
                continue
            text, correct, wrong = t()
            if add(text, correct, wrong):
                per_template[t] += 1
                progressed = True
            else:
                failures[t] += 1
        if not progressed:
            raise RuntimeError('templates exhausted')

    letters = [ch for ch in LETTERS for _ in range(TOTAL // len(LETTERS))]
    rng.shuffle(letters)
    rows_ru, rows_kz = [], []
    for num, ((text, c, w), letter) in enumerate(zip(items, letters), start=1):
        pos = LETTERS.index(letter)
        order = list(w)
        rng.shuffle(order)
        order.insert(pos, c)
        rows_ru.append([num, text[0]] + [o[0] for o in order] + [letter])
        rows_kz.append([num, text[1]] + [o[1] for o in order] + [letter])
    return rows_ru, rows_kz, n_concepts, per_template


def write(name, rows):
    with open(os.path.join(HERE, name), 'w', encoding='utf-8', newline='') as f:
        w = csv.writer(f, lineterminator='\r\n', quoting=csv.QUOTE_MINIMAL)
        w.writerow(['num', 'tekst', 'a', 'b', 'c', 'd', 'e', 'otvet'])
        w.writerows(rows)


if __name__ == '__main__':
    ru, kz, n_concepts, per_template = build()
    write('test.csv', ru)
    write('test_kz.csv', kz)
    print('concept questions:', n_concepts)
    for t, n in per_template.items():
        print('  %-22s %d' % (t.__name__, n))
    print('templates used:', sum(1 for n in per_template.values() if n))
