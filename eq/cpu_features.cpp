// Processor identification for the vector path of the transform.
#include "eq/cpu_features.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif

bool cpuHasSse = false;

void DetectCpuFeatures() {
#if defined(__i386__) || defined(__x86_64__)
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  // __get_cpuid checks the highest supported leaf first (and, on i386, that
  // the processor has CPUID at all).
  cpuHasSse = __get_cpuid(1, &eax, &ebx, &ecx, &edx) != 0 && (edx & (1u << 25)) != 0;
#else
  cpuHasSse = false;
#endif
}

namespace {
// Runs before main: fft.cpp reads cpuHasSse, which keeps this object (and so
// this initialiser) in every program that links the transform.
[[maybe_unused]] const bool detectedAtStartUp = (DetectCpuFeatures(), true);
}  // namespace
