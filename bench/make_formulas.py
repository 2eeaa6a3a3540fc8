"""Writes N typical formulas, one per line, for the throughput measurement."""
import sys

FORMULAS = [
    "2*(3+4)^2", "SIN(0.5)^2+COS(0.5)^2", "-3^2+8/2/2", "C_N(1.96,0,1)",
    "D_B(3,10,0.3)+C_T(2.015,5)", "SUM(1,2,3,4,5,6,7,8,9,10)", "AVG(STD(1,2,3),GAM(5))",
    "1/3", "EXP(1)", "LOG(10)*2.5", "1/0", "2*-3",
]
count = int(sys.argv[1])
out = sys.stdout
for i in range(count):
    out.write(FORMULAS[i % len(FORMULAS)] + "\n")
