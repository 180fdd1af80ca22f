// Nanoseconds per call of Nimbrel's kernels beside the C library's (nimbrel-bench --kernels).
#pragma once

void PrintKernelTimes(int rounds);
