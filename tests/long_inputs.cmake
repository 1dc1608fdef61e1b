# Writes the inputs of several megabytes that some transcript cases read into
# DIR, each named after its case. They are made when the tests run rather
# than kept in the repository, and only then.

set(long_line_bytes 8388608)
string(REPEAT "0" ${long_line_bytes} zeros)
file(WRITE "${DIR}/long-line-of-zeros.in" "${zeros}3\n")
# The same line, read where memory runs out while the number is taken from it.
file(WRITE "${DIR}/number-beyond-memory.in" "${zeros}3\n")
string(REPEAT " " ${long_line_bytes} blanks)
file(WRITE "${DIR}/long-line-of-blanks.in" "${blanks}1\n")
# For the cases that run out of memory, a line after one purchase: 26 MiB and
# 15 MiB.
string(REPEAT "0" 27262975 zeros)
file(WRITE "${DIR}/line-longer-than-memory.in" "1\n${zeros}3\n")
string(SUBSTRING "${zeros}" 0 15728639 zeros)
file(WRITE "${DIR}/line-copy-beyond-memory.in" "1\n${zeros}3\n")
