#include "vaultcore/crypto/montgomery_mul8.h"

#if defined(__x86_64__)
// Word-by-word interleaved product and reduction: for each word a[i], the
// sum T (nine words and a carry word, held in ten registers) takes a[i] * b,
// then the multiple q * m with q = T[0] * n0 that clears its lowest word,
// and moves down a word. T stays below 2m, so the carry word is a bit and
// nine words hold the result. Each row runs two carry chains: ADCX adds the
// low halves of the products, ADOX the high halves. The registers are
// renamed from step to step instead of moving the words.
//
// Registers: rsi = b, rcx = m, rdx = the multiplier, rax and rdi = product
// halves, rbx rbp r8-r15 = T. Stack: a copy of a (0..63), n0 (64), r (72).
asm(R"(
    .pushsection .text
    .p2align 5
    .globl vcMontMul8Mulx
    .hidden vcMontMul8Mulx
    .type vcMontMul8Mulx, @function

# t0..t8 += rdx * x[0..7]; the carries out of t7 (CF) and t8 (OF) remain.
.macro VC_ROW8 x, t0, t1, t2, t3, t4, t5, t6, t7, t8
    mulx 0(\x), %rax, %rdi
    adcx %rax, \t0
    adox %rdi, \t1
    mulx 8(\x), %rax, %rdi
    adcx %rax, \t1
    adox %rdi, \t2
    mulx 16(\x), %rax, %rdi
    adcx %rax, \t2
    adox %rdi, \t3
    mulx 24(\x), %rax, %rdi
    adcx %rax, \t3
    adox %rdi, \t4
    mulx 32(\x), %rax, %rdi
    adcx %rax, \t4
    adox %rdi, \t5
    mulx 40(\x), %rax, %rdi
    adcx %rax, \t5
    adox %rdi, \t6
    mulx 48(\x), %rax, %rdi
    adcx %rax, \t6
    adox %rdi, \t7
    mulx 56(\x), %rax, %rdi
    adcx %rax, \t7
    adox %rdi, \t8
.endm

# One word of a: T += a[i] * b into t0..t9, then T += q * m, after which
# t0 is zero and t1..t9 are the new T.
.macro VC_STEP8 i, t0, t1, t2, t3, t4, t5, t6, t7, t8, t9
    mov 8*\i(%rsp), %rdx
    xor \t9, \t9
    VC_ROW8 %rsi, \t0, \t1, \t2, \t3, \t4, \t5, \t6, \t7, \t8
    adcx \t9, \t8
    adox \t9, \t9
    adc $0, \t9
    mov \t0, %rdx
    imul 64(%rsp), %rdx
    xor %eax, %eax
    VC_ROW8 %rcx, \t0, \t1, \t2, \t3, \t4, \t5, \t6, \t7, \t8
    adcx \t0, \t8
    adox \t0, \t9
    adc $0, \t9
.endm

vcMontMul8Mulx:
    push %rbx
    push %rbp
    push %r12
    push %r13
    push %r14
    push %r15
    sub $88, %rsp
    movdqu 0(%rsi), %xmm0
    movdqu 16(%rsi), %xmm1
    movdqu 32(%rsi), %xmm2
    movdqu 48(%rsi), %xmm3
    movdqu %xmm0, 0(%rsp)
    movdqu %xmm1, 16(%rsp)
    movdqu %xmm2, 32(%rsp)
    movdqu %xmm3, 48(%rsp)
    mov %r8, 64(%rsp)
    mov %rdi, 72(%rsp)
    mov %rdx, %rsi
    xor %ebx, %ebx
    xor %ebp, %ebp
    xor %r8d, %r8d
    xor %r9d, %r9d
    xor %r10d, %r10d
    xor %r11d, %r11d
    xor %r12d, %r12d
    xor %r13d, %r13d
    xor %r14d, %r14d
    VC_STEP8 0, %rbx, %rbp, %r8, %r9, %r10, %r11, %r12, %r13, %r14, %r15
    VC_STEP8 1, %rbp, %r8, %r9, %r10, %r11, %r12, %r13, %r14, %r15, %rbx
    VC_STEP8 2, %r8, %r9, %r10, %r11, %r12, %r13, %r14, %r15, %rbx, %rbp
    VC_STEP8 3, %r9, %r10, %r11, %r12, %r13, %r14, %r15, %rbx, %rbp, %r8
    VC_STEP8 4, %r10, %r11, %r12, %r13, %r14, %r15, %rbx, %rbp, %r8, %r9
    VC_STEP8 5, %r11, %r12, %r13, %r14, %r15, %rbx, %rbp, %r8, %r9, %r10
    VC_STEP8 6, %r12, %r13, %r14, %r15, %rbx, %rbp, %r8, %r9, %r10, %r11
    VC_STEP8 7, %r13, %r14, %r15, %rbx, %rbp, %r8, %r9, %r10, %r11, %r12

    # T = r14 r15 rbx rbp r8 r9 r10 r11 (low to high) and r12 (0 or 1).
    # T - m replaces T unless it borrows past r12.
    mov 72(%rsp), %rax
    mov %r14, 0(%rsp)
    mov %r15, 8(%rsp)
    mov %rbx, 16(%rsp)
    mov %rbp, 24(%rsp)
    mov %r8, 32(%rsp)
    mov %r9, 40(%rsp)
    mov %r10, 48(%rsp)
    mov %r11, 56(%rsp)
    sub 0(%rcx), %r14
    sbb 8(%rcx), %r15
    sbb 16(%rcx), %rbx
    sbb 24(%rcx), %rbp
    sbb 32(%rcx), %r8
    sbb 40(%rcx), %r9
    sbb 48(%rcx), %r10
    sbb 56(%rcx), %r11
    sbb $0, %r12
    cmovc 0(%rsp), %r14
    cmovc 8(%rsp), %r15
    cmovc 16(%rsp), %rbx
    cmovc 24(%rsp), %rbp
    cmovc 32(%rsp), %r8
    cmovc 40(%rsp), %r9
    cmovc 48(%rsp), %r10
    cmovc 56(%rsp), %r11
    mov %r14, 0(%rax)
    mov %r15, 8(%rax)
    mov %rbx, 16(%rax)
    mov %rbp, 24(%rax)
    mov %r8, 32(%rax)
    mov %r9, 40(%rax)
    mov %r10, 48(%rax)
    mov %r11, 56(%rax)

    # The copy of a and the sum are secrets: wipe them.
    pxor %xmm0, %xmm0
    movdqu %xmm0, 0(%rsp)
    movdqu %xmm0, 16(%rsp)
    movdqu %xmm0, 32(%rsp)
    movdqu %xmm0, 48(%rsp)
    pxor %xmm1, %xmm1
    pxor %xmm2, %xmm2
    pxor %xmm3, %xmm3
    add $88, %rsp
    pop %r15
    pop %r14
    pop %r13
    pop %r12
    pop %rbp
    pop %rbx
    ret
    .size vcMontMul8Mulx, .-vcMontMul8Mulx
    .purgem VC_STEP8
    .purgem VC_ROW8
    .popsection
)");
#endif
