# A purchase, then 26 MiB of zeros ending in 3
printf '1\n%027262976d\n' 3
