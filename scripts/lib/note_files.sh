# shellcheck shell=bash
# Writes stored notes the way KovaShell keeps them: KovaShell<N>.hsn holds 15
# fields, each "value" on a CR LF line, and KovaShell<N>.log the text with CR
# LF line ends plus one more CR LF; both in Shift-JIS (CP932), as on Windows.

# write_note_files DIR N TEXT [FIELD=VALUE...]: writes note N into DIR. TEXT
# "-" reads the text's lines from stdin. FIELD is one of font size bold italic
# back fore visible top left year month day hour minute zorder (top and left
# in twips); the rest keep the values of a new note at the screen's corner
# without a timer.
write_note_files() {
  local dir=${1:?folder} n=${2:?note number} text=${3?text} setting name
  shift 3
  local -A field=([font]="ＭＳ Ｐゴシック" [size]=9 [bold]=False [italic]=False
    [back]="&HFFFFFF" [fore]="&H0" [visible]=True [top]=0 [left]=0
    [year]="" [month]="" [day]="" [hour]="" [minute]="" [zorder]=False)
  local -a order=(font size bold italic back fore visible top left year month day hour minute
    zorder)
  for setting in "$@"; do
    name=${setting%%=*}
    if [[ $setting != *=* || -z ${field[$name]+set} ]]; then
      echo "write_note_files: unknown field setting '$setting'" >&2
      return 2
    fi
    field[$name]=${setting#*=}
  done
  for name in "${order[@]}"; do
    printf '"%s"\r\n' "${field[$name]}"
  done | iconv -f UTF-8 -t CP932 >"$dir/KovaShell$n.hsn"
  if [[ $text == - ]]; then cat; else printf '%s\n' "$text"; fi |
    sed 's/$/\r/' | iconv -f UTF-8 -t CP932 >"$dir/KovaShell$n.log"
}
