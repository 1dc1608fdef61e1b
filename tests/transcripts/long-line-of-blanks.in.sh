# 8 MiB of blanks, then 1
printf '%8388609s\n' 1
