#!/bin/bash
# Builds the five short demonstration clips of the course (1.avi ... 5.avi).
# Needs Debian packages: imagemagick, ffmpeg, fonts-dejavu-core.
#   apt-get install -y imagemagick ffmpeg fonts-dejavu-core
# Run from any directory: bash course/video/make_videos.sh
set -euo pipefail

OUT="$(cd "$(dirname "$0")" && pwd)"
FONT=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
FONTB=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
MONO=/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf
W=640
H=480
TMP="$(mktemp -d)"
trap 'rm -rf "$TMP"' EXIT

# encode DIR FPS NAME: steps DIR/s_000.png ... shown at FPS steps per second,
# written as a 10 fps MPEG-4 Part 2 (Xvid tag) AVI file.
encode() {
    ffmpeg -hide_banner -loglevel error -y -framerate "$2" -i "$1/s_%03d.png" \
        -r 10 -c:v mpeg4 -vtag xvid -q:v 5 -pix_fmt yuv420p -an "$OUT/$3"
}

# ------------------------------------------------------------------ 1.avi
# A flowchart "maximum of two numbers", the current block is highlighted.
clip1() {
    local d="$TMP/c1"; mkdir -p "$d"
    local step
    for step in 0 1 2 3 4 5 6 7; do
        local c=(white white white white white white white)
        if [ "$step" -ge 1 ] && [ "$step" -le 6 ]; then
            # blocks in order of execution: 0 start, 1 input, 2 test, 3 max=a, 5 output, 6 end
            local order=(0 1 2 3 5 6)
            c[${order[$((step-1))]}]="#ffd54f"
        fi
        local vars="" out=""
        [ "$step" -ge 2 ] && vars="a = 7\nb = 4"
        [ "$step" -ge 3 ] && vars="$vars\na > b : да"
        [ "$step" -ge 4 ] && vars="$vars\nmax = 7"
        [ "$step" -ge 5 ] && out="На экране: 7"
        [ "$step" -eq 7 ] && out="На экране: 7\nАлгоритм завершён"
        convert -size ${W}x${H} xc:"#f4f7fb" -stroke "#263238" -strokewidth 2 \
            -fill none -draw "line 220,62 220,92" -draw "line 220,132 220,158" \
            -draw "line 150,210 100,210" -draw "line 100,210 100,270" \
            -draw "line 290,210 340,210" -draw "line 340,210 340,270" \
            -draw "line 100,310 100,340" -draw "line 340,310 340,340" \
            -draw "line 100,340 340,340" -draw "line 220,340 220,352" \
            -draw "line 220,392 220,418" \
            -fill "${c[0]}" -draw "roundrectangle 160,22 280,62 20,20" \
            -fill "${c[1]}" -draw "polygon 170,92 300,92 270,132 140,132" \
            -fill "${c[2]}" -draw "polygon 220,158 290,210 220,262 150,210" \
            -fill "${c[3]}" -draw "rectangle 45,270 155,310" \
            -fill "${c[4]}" -draw "rectangle 285,270 395,310" \
            -fill "${c[5]}" -draw "polygon 170,352 300,352 270,392 140,392" \
            -fill "${c[6]}" -draw "roundrectangle 160,418 280,458 20,20" \
            -stroke none -fill "#263238" -font "$FONT" -pointsize 16 \
            -annotate +190+48 "Начало" -annotate +180+118 "Ввод a, b" \
            -annotate +192+216 "a > b ?" -annotate +70+296 "max = a" \
            -annotate +310+296 "max = b" -annotate +168+378 "Вывод max" \
            -annotate +196+444 "Конец" -pointsize 14 -annotate +112+202 "да" \
            -annotate +300+202 "нет" \
            -font "$FONTB" -pointsize 20 -annotate +430+40 "Блок-схема" \
            -font "$FONT" -pointsize 15 -annotate +430+62 "наибольшее из двух" \
            -font "$MONO" -pointsize 18 -fill "#1565c0" -annotate +440+120 "$(printf "$vars")" \
            -fill "#2e7d32" -font "$FONT" -pointsize 16 -annotate +430+300 "$(printf "$out")" \
            "$d/s_$(printf %03d "$step").png"
    done
    encode "$d" 8/5 1.avi      # 8 steps, 5 s
}

# ------------------------------------------------------------------ 2.avi
# Bubble sort of six numbers drawn as bars.
bars() {   # bars FILE CAPTION HL1 HL2 COLOR values...
    local f="$1" cap="$2" h1="$3" h2="$4" col="$5"; shift 5
    local args=() i=0 v x y
    for v in "$@"; do
        x=$((80 + i * 85)); y=$((400 - v * 30))
        local fill="#90caf9"
        if [ "$i" -eq "$h1" ] || [ "$i" -eq "$h2" ]; then fill="$col"; fi
        args+=(-fill "$fill" -stroke "#263238" -draw "rectangle $x,$y $((x + 60)),400")
        args+=(-stroke none -fill "#263238" -annotate +$((x + 24))+$((y - 8)) "$v")
        i=$((i + 1))
    done
    convert -size ${W}x${H} xc:"#f4f7fb" -font "$FONT" -pointsize 20 "${args[@]}" \
        -font "$FONTB" -pointsize 22 -fill "#263238" -annotate +20+40 "Сортировка пузырьком" \
        -font "$FONT" -pointsize 17 -annotate +20+450 "$cap" "$f"
}
clip2() {
    local d="$TMP/c2"; mkdir -p "$d"
    local a=(5 1 4 2 8 3) n=6 k=0 i j t
    bars "$d/s_$(printf %03d $k).png" "Исходный массив" -1 -1 none "${a[@]}"; k=$((k + 1))
    for ((i = 0; i < n - 1; i++)); do
        for ((j = 0; j < n - 1 - i; j++)); do
            bars "$d/s_$(printf %03d $k).png" "Проход $((i + 1)): сравниваем a[$j] и a[$((j + 1))]" $j $((j + 1)) "#ffd54f" "${a[@]}"
            k=$((k + 1))
            if [ "${a[j]}" -gt "${a[j + 1]}" ]; then
                t=${a[j]}; a[j]=${a[j + 1]}; a[j + 1]=$t
                bars "$d/s_$(printf %03d $k).png" "Проход $((i + 1)): обмен a[$j] и a[$((j + 1))]" $j $((j + 1)) "#ef9a9a" "${a[@]}"
                k=$((k + 1))
            fi
        done
    done
    bars "$d/s_$(printf %03d $k).png" "Массив упорядочен" 0 5 "#a5d6a7" "${a[@]}"
    cp "$d/s_$(printf %03d $k).png" "$d/s_$(printf %03d $((k + 1))).png"
    k=$((k + 2))
    encode "$d" "$k/5" 2.avi   # all steps in 5 s
}

# ------------------------------------------------------------------ 3.avi
# A counting loop: the current line of code and the values of i and s.
clip3() {
    local d="$TMP/c3"; mkdir -p "$d"
    local k=0 s=0 i
    loopframe() {  # loopframe LINE I S OUT
        local y=$((118 + $1 * 34))
        convert -size ${W}x${H} xc:"#f4f7fb" \
            -fill "#fff3c4" -draw "rectangle 30,$((y - 24)) 400,$((y + 8))" \
            -font "$FONTB" -pointsize 22 -fill "#263238" -annotate +30+50 "Цикл со счётчиком" \
            -font "$MONO" -pointsize 19 -fill "#263238" \
            -annotate +40+118 "int s = 0;" \
            -annotate +40+152 "for (int i = 1; i <= 5; i++)" \
            -annotate +84+186 "s = s + i;" \
            -annotate +40+220 "cout << s;" \
            -fill "#1565c0" -pointsize 34 -annotate +440+150 "i = $2" -annotate +440+220 "s = $3" \
            -fill "#2e7d32" -font "$FONT" -pointsize 20 -annotate +40+330 "$4" \
            "$d/s_$(printf %03d $k).png"
        k=$((k + 1))
    }
    loopframe 0 "-" 0 ""
    for i in 1 2 3 4 5; do
        loopframe 1 "$i" "$s" "Условие $i <= 5 истинно"
        s=$((s + i))
        loopframe 2 "$i" "$s" "s = $((s - i)) + $i = $s"
    done
    loopframe 1 6 "$s" "Условие 6 <= 5 ложно, выход из цикла"
    loopframe 3 6 "$s" "На экране: $s"
    encode "$d" "$k/5" 3.avi
}

# ------------------------------------------------------------------ 4.avi
# Binary search for 23 in a sorted array of 15 numbers.
clip4() {
    local d="$TMP/c4"; mkdir -p "$d"
    local a=(2 5 8 12 16 23 38 45 56 67 72 81 90 95 99) k=0
    bsframe() {  # bsframe LO HI MID TEXT FOUND
        local args=() i x fill
        for i in $(seq 0 14); do
            x=$((20 + i * 40)); fill="#eceff1"
            if [ "$i" -ge "$1" ] && [ "$i" -le "$2" ]; then fill="#bbdefb"; fi
            if [ "$i" -eq "$3" ]; then fill="#ffd54f"; fi
            if [ "$i" -eq "$3" ] && [ "$5" = 1 ]; then fill="#a5d6a7"; fi
            args+=(-fill "$fill" -stroke "#263238" -draw "rectangle $x,200 $((x + 38)),250")
            args+=(-stroke none -fill "#263238" -pointsize 17 -annotate +$((x + 6))+232 "${a[i]}")
            args+=(-fill "#78909c" -pointsize 12 -annotate +$((x + 14))+270 "$i")
        done
        convert -size ${W}x${H} xc:"#f4f7fb" -font "$FONT" "${args[@]}" \
            -font "$FONTB" -pointsize 22 -fill "#263238" -annotate +20+50 "Двоичный поиск числа 23" \
            -font "$FONT" -pointsize 19 -annotate +20+340 "$4" \
            "$d/s_$(printf %03d $k).png"
        k=$((k + 1))
    }
    bsframe 0 14 -1 "Ищем 23: left = 0, right = 14" 0
    bsframe 0 14 7 "mid = 7, a[7] = 45 > 23, берём левую половину" 0
    bsframe 0 6 -1 "left = 0, right = 6" 0
    bsframe 0 6 3 "mid = 3, a[3] = 12 < 23, берём правую половину" 0
    bsframe 4 6 -1 "left = 4, right = 6" 0
    bsframe 4 6 5 "mid = 5, a[5] = 23 — найдено за 3 сравнения" 1
    bsframe 4 6 5 "mid = 5, a[5] = 23 — найдено за 3 сравнения" 1
    encode "$d" "$k/5" 4.avi
}

# ------------------------------------------------------------------ 5.avi
# The tree of recursive calls fib(4); nodes appear in the order of calls.
clip5() {
    local d="$TMP/c5"; mkdir -p "$d"
    # node: x y label value parent
    local X=(320 180 100 50 150 260 480 420 540)
    local Y=(90 175 260 345 345 260 175 260 260)
    local L=(4 3 2 1 0 1 2 1 0)
    local P=(-1 0 1 2 2 1 0 6 6)
    local V=(3 2 1 1 0 1 1 1 0)
    local shown k args n p
    for ((shown = 1; shown <= 10; shown++)); do
        k=$((shown - 1)); args=()
        local cnt=$shown; [ "$cnt" -gt 9 ] && cnt=9
        for ((n = 1; n < cnt; n++)); do
            p=${P[n]}
            args+=(-stroke "#546e7a" -strokewidth 2 -draw "line ${X[p]},$((Y[p] + 18)) ${X[n]},$((Y[n] - 18))")
        done
        for ((n = 0; n < cnt; n++)); do
            local fill="#e3f2fd"
            [ "$n" -eq $((cnt - 1)) ] && [ "$shown" -le 9 ] && fill="#ffd54f"
            [ "$shown" -eq 10 ] && fill="#c8e6c9"
            args+=(-stroke "#263238" -strokewidth 2 -fill "$fill" -draw "roundrectangle $((X[n] - 42)),$((Y[n] - 18)) $((X[n] + 42)),$((Y[n] + 18)) 10,10")
            args+=(-stroke none -fill "#263238" -annotate +$((X[n] - 30))+$((Y[n] + 7)) "fib(${L[n]})")
            if [ "$shown" -eq 10 ]; then
                args+=(-fill "#c62828" -annotate +$((X[n] + 46))+$((Y[n] + 7)) "${V[n]}")
            fi
        done
        local cap="Вызов номер $cnt: fib(${L[cnt - 1]})"
        [ "$shown" -eq 10 ] && cap="Всего 9 вызовов, fib(4) = 3"
        convert -size ${W}x${H} xc:"#f4f7fb" -font "$MONO" -pointsize 18 "${args[@]}" \
            -font "$FONTB" -pointsize 22 -fill "#263238" -annotate +20+40 "Дерево рекурсивных вызовов" \
            -font "$FONT" -pointsize 19 -annotate +20+440 "$cap" \
            "$d/s_$(printf %03d $k).png"
    done
    cp "$d/s_009.png" "$d/s_010.png"
    encode "$d" 11/5 5.avi
}

clip1
clip2
clip3
clip4
clip5
ls -l "$OUT"/*.avi
