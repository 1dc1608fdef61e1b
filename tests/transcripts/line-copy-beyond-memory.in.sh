# A purchase, then 15 MiB of zeros ending in 3
printf '1\n%015728640d\n' 3
