// Processor features the transform's vector kernels depend on, detected once
// during static initialisation (before any thread starts).
#pragma once

// Written only by DetectCpuFeatures, which runs during static initialisation;
// afterwards read-only, so any thread may read them without synchronisation.
// cpuHasSse: 4-wide single precision vectors.
// cpuHasAvx2Fma: AVX, AVX2 and FMA, and the operating system saves the
// 256-bit registers on a thread switch (without that the first AVX
// instruction faults even where the processor has it).
extern bool cpuHasSse;
extern bool cpuHasAvx2Fma;

// Sets both from the processor identification: leaf 1 EDX bit 25 (SSE);
// leaf 1 ECX bits 12 (FMA), 27 (OSXSAVE), 28 (AVX), then XGETBV(0) bits 1
// and 2 (the OS saves the XMM and YMM state), then leaf 7 EBX bit 5 (AVX2).
// Always false on processors other than x86.
void DetectCpuFeatures();

// The same decision from the register values, for tests.
struct CpuIdValues {
  unsigned maxLeaf;  // leaf 0 EAX
  unsigned leaf1Ecx, leaf1Edx;
  unsigned leaf7Ebx;    // read only when maxLeaf >= 7
  unsigned long long xcr0;  // read only when OSXSAVE is set
};
bool SseFrom(const CpuIdValues& v);
bool Avx2FmaFrom(const CpuIdValues& v);
