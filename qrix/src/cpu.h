// Which kernels run: decided once per process, from the processor and the environment.
//
//   QRIX_CPU=plain|avx2|avx512   run the kernels of that level, never one above what the processor has
//   QRIX_NO_VECTOR=1             the same as QRIX_CPU=plain
//
// Every level gives the same bytes; forcing a lower one lets a machine check the paths it would
// not otherwise take. Not exported.
#pragma once

namespace qrix::cpu {

enum class Level {
  plain,   // the x86-64 baseline, vectorised by the compiler with SSE2 only
  avx2,    // AVX2
  avx512,  // x86-64-v4: AVX-512 F, BW, CD, DQ and VL on top of AVX2
};

// The level the processor supports, ignoring the environment.
Level processorLevel();

// The level capped by the two variables' values (either may be null): QRIX_NO_VECTOR set to
// anything but "" or "0" means plain; QRIX_CPU caps at its level. An unknown QRIX_CPU value
// leaves the level alone and sets *unknown.
Level chooseLevel(Level processor, const char* cpuVariable, const char* noVectorVariable, bool* unknown);

// The level the kernels run at, chosen on first use.
Level level();

inline bool atLeast(Level l) { return static_cast<int>(level()) >= static_cast<int>(l); }

// Instructions beyond a level's, each used by a hand-written kernel: SSSE3 and SSE4.1 unless plain is
// forced, VBMI at avx512 only; false when the processor lacks them.
bool ssse3();
bool sse41();
bool vbmi();

}  // namespace qrix::cpu

// Kernels built for each level from one scalar description: the body is inlined into one function
// per target and a dispatcher calls the one for the chosen level. A kernel is written
//
//   QRIX_VECTOR_KERNEL(void, darken, (uint8_t* p, int64_t n), (p, n)) { ... }
//
// and called as darken(p, n). QRIX_VECTOR_KERNEL builds plain and AVX2; QRIX_WIDE_KERNEL adds
// x86-64-v4 for loops of doubles, which gain from 8-lane vectors. QRIX_WIDE_MEMBER declares static
// member functions inside a class; QRIX_VECTOR_TEMPLATE and QRIX_WIDE_TEMPLATE take a template head
// and its arguments, as QRIX_VECTOR_TEMPLATE(template <int N>, <N>, void, run, (...), (...)).
#if defined(__x86_64__)
#define QRIX_TARGET_AVX2_ [[gnu::target("avx2")]]
#define QRIX_TARGET_V4_ [[gnu::target("arch=x86-64-v4")]]
#else
#define QRIX_TARGET_AVX2_
#define QRIX_TARGET_V4_
#endif

#define QRIX_KERNEL_BODY_(tmpl, scope, ret, name, params) \
  tmpl [[gnu::always_inline]] scope inline ret name##Body params
#define QRIX_KERNEL_AT_(tmpl, scope, target, suffix, targs, ret, name, params, args) \
  tmpl target scope ret name##suffix params { return name##Body targs args; }

#define QRIX_VECTOR_KERNEL_(tmpl, scope, declare, targs, ret, name, params, args)                        \
  declare QRIX_KERNEL_AT_(tmpl, scope, , Plain, targs, ret, name, params, args) QRIX_KERNEL_AT_(         \
      tmpl, scope, QRIX_TARGET_AVX2_, Avx2, targs, ret, name, params, args) tmpl scope ret name params { \
    return qrix::cpu::atLeast(qrix::cpu::Level::avx2) ? name##Avx2 targs args : name##Plain targs args;  \
  }                                                                                                      \
  QRIX_KERNEL_BODY_(tmpl, scope, ret, name, params)

#define QRIX_WIDE_KERNEL_(tmpl, scope, declare, targs, ret, name, params, args)             \
  declare QRIX_KERNEL_AT_(tmpl, scope, , Plain, targs, ret, name, params, args)             \
      QRIX_KERNEL_AT_(tmpl, scope, QRIX_TARGET_AVX2_, Avx2, targs, ret, name, params, args) \
          QRIX_KERNEL_AT_(tmpl, scope, QRIX_TARGET_V4_, V4, targs, ret, name, params, args) \
              tmpl scope ret name params {                                                  \
    using qrix::cpu::Level;                                                                 \
    return qrix::cpu::atLeast(Level::avx512) ? name##V4 targs args                          \
           : qrix::cpu::atLeast(Level::avx2) ? name##Avx2 targs args                        \
                                             : name##Plain targs args;                      \
  }                                                                                         \
  QRIX_KERNEL_BODY_(tmpl, scope, ret, name, params)

#define QRIX_VECTOR_KERNEL(ret, name, params, args) \
  QRIX_VECTOR_KERNEL_(, , QRIX_KERNEL_BODY_(, , ret, name, params);, , ret, name, params, args)
#define QRIX_VECTOR_TEMPLATE(tmpl, targs, ret, name, params, args) \
  QRIX_VECTOR_KERNEL_(tmpl, , QRIX_KERNEL_BODY_(tmpl, , ret, name, params);, targs, ret, name, params, args)
#define QRIX_WIDE_KERNEL(ret, name, params, args) \
  QRIX_WIDE_KERNEL_(, , QRIX_KERNEL_BODY_(, , ret, name, params);, , ret, name, params, args)
#define QRIX_WIDE_TEMPLATE(tmpl, targs, ret, name, params, args) \
  QRIX_WIDE_KERNEL_(tmpl, , QRIX_KERNEL_BODY_(tmpl, , ret, name, params);, targs, ret, name, params, args)
#define QRIX_WIDE_MEMBER(ret, name, params, args) QRIX_WIDE_KERNEL_(, static, , , ret, name, params, args)
