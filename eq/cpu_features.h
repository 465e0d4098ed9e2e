// Processor features the transform's vector path depends on, detected once
// during static initialisation (before any thread starts).
#pragma once

// True when the processor has SSE (4-wide single precision vectors).
// Written only by DetectCpuFeatures, which runs during static initialisation;
// afterwards read-only, so any thread may read it without synchronisation.
extern bool cpuHasSse;

// Sets cpuHasSse from bit 25 of EDX of the processor identification leaf 1.
// Always false on processors other than x86.
void DetectCpuFeatures();
