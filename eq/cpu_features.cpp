// Processor identification for the transform's vector kernels.
#include "eq/cpu_features.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif

bool cpuHasSse = false;
bool cpuHasAvx2Fma = false;

namespace {
constexpr unsigned kSse = 1u << 25;       // leaf 1 EDX
constexpr unsigned kFma = 1u << 12;       // leaf 1 ECX
constexpr unsigned kOsXsave = 1u << 27;   // leaf 1 ECX
constexpr unsigned kAvx = 1u << 28;       // leaf 1 ECX
constexpr unsigned kAvx2 = 1u << 5;       // leaf 7 EBX
constexpr unsigned long long kXmmYmmState = 6;  // XCR0 bits 1 (SSE) and 2 (AVX)
}  // namespace

bool SseFrom(const CpuIdValues& v) { return v.maxLeaf >= 1 && (v.leaf1Edx & kSse) != 0; }

bool Avx2FmaFrom(const CpuIdValues& v) {
  const unsigned needed = kFma | kOsXsave | kAvx;
  if (v.maxLeaf < 7 || (v.leaf1Ecx & needed) != needed) return false;
  return (v.xcr0 & kXmmYmmState) == kXmmYmmState && (v.leaf7Ebx & kAvx2) != 0;
}

void DetectCpuFeatures() {
  CpuIdValues v{};
#if defined(__i386__) || defined(__x86_64__)
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  // __get_cpuid_max checks (on i386) that the processor has CPUID at all.
  v.maxLeaf = __get_cpuid_max(0, nullptr);
  if (v.maxLeaf >= 1) {
    __cpuid(1, eax, ebx, ecx, edx);
    v.leaf1Ecx = ecx;
    v.leaf1Edx = edx;
  }
  if (v.maxLeaf >= 7) {
    __cpuid_count(7, 0, eax, ebx, ecx, edx);
    v.leaf7Ebx = ebx;
  }
  if ((v.leaf1Ecx & kOsXsave) != 0) {
    // XGETBV with ECX = 0, spelled as bytes so that the file needs no
    // -mxsave; it exists whenever OSXSAVE is set.
    unsigned lo = 0, hi = 0;
    __asm__ volatile(".byte 0x0f, 0x01, 0xd0" : "=a"(lo), "=d"(hi) : "c"(0));
    v.xcr0 = (static_cast<unsigned long long>(hi) << 32) | lo;
  }
#endif
  cpuHasSse = SseFrom(v);
  cpuHasAvx2Fma = Avx2FmaFrom(v);
}

namespace {
// Runs before main: fft.cpp reads the flags, which keeps this object (and so
// this initialiser) in every program that links the transform.
[[maybe_unused]] const bool detectedAtStartUp = (DetectCpuFeatures(), true);
}  // namespace
