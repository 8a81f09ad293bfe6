#include "vaultcore/crypto/montgomery_kernels.h"

#if defined(__x86_64__)
// Products and squares of numbers of eight limbs are made row by row
// through nine registers, each low word stored once no later row reaches
// it; the Montgomery reduction then adds q * m for q = t[0] * n0 word by
// word with the nine words it reaches in registers, and the sixteen-limb
// reduction works the same way on each half of m in turn. Each row runs two
// carry chains: ADCX adds the low halves of the products, ADOX the high
// halves. The registers are renamed from step to step instead of moving
// the words. The final subtraction is always computed and its result
// chosen by conditional moves.
asm(R"(
    .pushsection .text

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

# One reduction step: t0..t7 += q * m with q = t0 * n0, the next word of
# the product is loaded into t8 and takes the carries, with the carry bit
# of the step before (r15), which then becomes this step's carry out.
.macro VC_REDUCE8 i, t0, t1, t2, t3, t4, t5, t6, t7, t8
    mov \t0, %rdx
    imul 8(%rsp), %rdx
    mov 64+8*\i(%rsi), \t8
    xor %eax, %eax
    VC_ROW8 %rcx, \t0, \t1, \t2, \t3, \t4, \t5, \t6, \t7, \t8
    adcx %r15, \t8
    mov $0, %r15
    adox %r15, %r15
    adc $0, %r15
.endm

# The reduction of the sixteen words at rsi into r, in a frame made by
# VC_ENTER. Registers: rsi = t, rcx = m, rdx = q, rax and rdi =
# product halves, rbx rbp r8-r14 = the nine words in reach, r15 = the carry
# bit. Stack: r (0), n0 (8), the sum for the final choice (16..79).
.macro VC_REDC8_BODY
    mov 0(%rsi), %rbx
    mov 8(%rsi), %rbp
    mov 16(%rsi), %r8
    mov 24(%rsi), %r9
    mov 32(%rsi), %r10
    mov 40(%rsi), %r11
    mov 48(%rsi), %r12
    mov 56(%rsi), %r13
    xor %r15d, %r15d
    VC_REDUCE8 0, %rbx, %rbp, %r8, %r9, %r10, %r11, %r12, %r13, %r14
    VC_REDUCE8 1, %rbp, %r8, %r9, %r10, %r11, %r12, %r13, %r14, %rbx
    VC_REDUCE8 2, %r8, %r9, %r10, %r11, %r12, %r13, %r14, %rbx, %rbp
    VC_REDUCE8 3, %r9, %r10, %r11, %r12, %r13, %r14, %rbx, %rbp, %r8
    VC_REDUCE8 4, %r10, %r11, %r12, %r13, %r14, %rbx, %rbp, %r8, %r9
    VC_REDUCE8 5, %r11, %r12, %r13, %r14, %rbx, %rbp, %r8, %r9, %r10
    VC_REDUCE8 6, %r12, %r13, %r14, %rbx, %rbp, %r8, %r9, %r10, %r11
    VC_REDUCE8 7, %r13, %r14, %rbx, %rbp, %r8, %r9, %r10, %r11, %r12

    # The sum: r14 rbx rbp r8 r9 r10 r11 r12 and the bit in r15.
    mov 0(%rsp), %rax
    mov %r14, 16(%rsp)
    mov %rbx, 24(%rsp)
    mov %rbp, 32(%rsp)
    mov %r8, 40(%rsp)
    mov %r9, 48(%rsp)
    mov %r10, 56(%rsp)
    mov %r11, 64(%rsp)
    mov %r12, 72(%rsp)
    sub 0(%rcx), %r14
    sbb 8(%rcx), %rbx
    sbb 16(%rcx), %rbp
    sbb 24(%rcx), %r8
    sbb 32(%rcx), %r9
    sbb 40(%rcx), %r10
    sbb 48(%rcx), %r11
    sbb 56(%rcx), %r12
    sbb $0, %r15
    cmovc 16(%rsp), %r14
    cmovc 24(%rsp), %rbx
    cmovc 32(%rsp), %rbp
    cmovc 40(%rsp), %r8
    cmovc 48(%rsp), %r9
    cmovc 56(%rsp), %r10
    cmovc 64(%rsp), %r11
    cmovc 72(%rsp), %r12
    mov %r14, 0(%rax)
    mov %rbx, 8(%rax)
    mov %rbp, 16(%rax)
    mov %r8, 24(%rax)
    mov %r9, 32(%rax)
    mov %r10, 40(%rax)
    mov %r11, 48(%rax)
    mov %r12, 56(%rax)
    pxor %xmm0, %xmm0
    movdqu %xmm0, 16(%rsp)
    movdqu %xmm0, 32(%rsp)
    movdqu %xmm0, 48(%rsp)
    movdqu %xmm0, 64(%rsp)
.endm

# For arguments (r, x, m, n0): saves the registers the caller keeps, makes
# `frame` bytes of stack with r at 0 and n0 at 8, and moves m to rcx.
.macro VC_ENTER frame
    push %rbx
    push %rbp
    push %r12
    push %r13
    push %r14
    push %r15
    sub $\frame, %rsp
    mov %rdi, 0(%rsp)
    mov %rcx, 8(%rsp)
    mov %rdx, %rcx
.endm

.macro VC_LEAVE frame
    add $\frame, %rsp
    pop %r15
    pop %r14
    pop %r13
    pop %r12
    pop %rbp
    pop %rbx
    ret
.endm

# The square: the cross products a[i] * a[j], i < j, row by row in eight
# registers, each word stored (at 80 + 8k) once no later row reaches it;
# then doubled with the squares a[i]^2 added, and reduced as above.
    .p2align 5
    .globl vcMontSqr8Mulx
    .hidden vcMontSqr8Mulx
    .type vcMontSqr8Mulx, @function
vcMontSqr8Mulx:
    VC_ENTER 216
    xor %ebx, %ebx
    xor %rbp, %rbp
    xor %r8, %r8
    xor %r9, %r9
    xor %r10, %r10
    xor %r11, %r11
    xor %r12, %r12
    xor %r13, %r13
    mov 0(%rsi), %rdx
    mulx 8(%rsi), %rax, %rdi
    adcx %rax, %rbx
    adox %rdi, %rbp
    mulx 16(%rsi), %rax, %rdi
    adcx %rax, %rbp
    adox %rdi, %r8
    mulx 24(%rsi), %rax, %rdi
    adcx %rax, %r8
    adox %rdi, %r9
    mulx 32(%rsi), %rax, %rdi
    adcx %rax, %r9
    adox %rdi, %r10
    mulx 40(%rsi), %rax, %rdi
    adcx %rax, %r10
    adox %rdi, %r11
    mulx 48(%rsi), %rax, %rdi
    adcx %rax, %r11
    adox %rdi, %r12
    mulx 56(%rsi), %rax, %rdi
    adcx %rax, %r12
    adox %rdi, %r13
    adc $0, %r13
    mov %rbx, 88(%rsp)
    mov %rbp, 96(%rsp)
    mov 8(%rsi), %rdx
    xor %ebx, %ebx
    mulx 16(%rsi), %rax, %rdi
    adcx %rax, %r8
    adox %rdi, %r9
    mulx 24(%rsi), %rax, %rdi
    adcx %rax, %r9
    adox %rdi, %r10
    mulx 32(%rsi), %rax, %rdi
    adcx %rax, %r10
    adox %rdi, %r11
    mulx 40(%rsi), %rax, %rdi
    adcx %rax, %r11
    adox %rdi, %r12
    mulx 48(%rsi), %rax, %rdi
    adcx %rax, %r12
    adox %rdi, %r13
    mulx 56(%rsi), %rax, %rdi
    adcx %rax, %r13
    adox %rdi, %rbx
    adc $0, %rbx
    mov %r8, 104(%rsp)
    mov %r9, 112(%rsp)
    mov 16(%rsi), %rdx
    xor %rbp, %rbp
    mulx 24(%rsi), %rax, %rdi
    adcx %rax, %r10
    adox %rdi, %r11
    mulx 32(%rsi), %rax, %rdi
    adcx %rax, %r11
    adox %rdi, %r12
    mulx 40(%rsi), %rax, %rdi
    adcx %rax, %r12
    adox %rdi, %r13
    mulx 48(%rsi), %rax, %rdi
    adcx %rax, %r13
    adox %rdi, %rbx
    mulx 56(%rsi), %rax, %rdi
    adcx %rax, %rbx
    adox %rdi, %rbp
    adc $0, %rbp
    mov %r10, 120(%rsp)
    mov %r11, 128(%rsp)
    mov 24(%rsi), %rdx
    xor %r8, %r8
    mulx 32(%rsi), %rax, %rdi
    adcx %rax, %r12
    adox %rdi, %r13
    mulx 40(%rsi), %rax, %rdi
    adcx %rax, %r13
    adox %rdi, %rbx
    mulx 48(%rsi), %rax, %rdi
    adcx %rax, %rbx
    adox %rdi, %rbp
    mulx 56(%rsi), %rax, %rdi
    adcx %rax, %rbp
    adox %rdi, %r8
    adc $0, %r8
    mov %r12, 136(%rsp)
    mov %r13, 144(%rsp)
    mov 32(%rsi), %rdx
    xor %r9, %r9
    mulx 40(%rsi), %rax, %rdi
    adcx %rax, %rbx
    adox %rdi, %rbp
    mulx 48(%rsi), %rax, %rdi
    adcx %rax, %rbp
    adox %rdi, %r8
    mulx 56(%rsi), %rax, %rdi
    adcx %rax, %r8
    adox %rdi, %r9
    adc $0, %r9
    mov %rbx, 152(%rsp)
    mov %rbp, 160(%rsp)
    mov 40(%rsi), %rdx
    xor %r10, %r10
    mulx 48(%rsi), %rax, %rdi
    adcx %rax, %r8
    adox %rdi, %r9
    mulx 56(%rsi), %rax, %rdi
    adcx %rax, %r9
    adox %rdi, %r10
    adc $0, %r10
    mov %r8, 168(%rsp)
    mov %r9, 176(%rsp)
    mov 48(%rsi), %rdx
    xor %r11, %r11
    mulx 56(%rsi), %rax, %rdi
    adcx %rax, %r10
    adox %rdi, %r11
    adc $0, %r11
    mov %r10, 184(%rsp)
    mov %r11, 192(%rsp)
    movq $0, 80(%rsp)
    movq $0, 200(%rsp)
    xor %eax, %eax
    .set J, 0
    .rept 8
    mov 8*J(%rsi), %rdx
    mulx %rdx, %rdi, %rbx
    mov 80+16*J(%rsp), %rbp
    adcx %rbp, %rbp
    adox %rdi, %rbp
    mov %rbp, 80+16*J(%rsp)
    mov 88+16*J(%rsp), %rbp
    adcx %rbp, %rbp
    adox %rbx, %rbp
    mov %rbp, 88+16*J(%rsp)
    .set J, J+1
    .endr
    lea 80(%rsp), %rsi
    VC_REDC8_BODY
    pxor %xmm0, %xmm0
    .set J, 0
    .rept 8
    movdqu %xmm0, 80+16*J(%rsp)
    .set J, J+1
    .endr
    VC_LEAVE 216
    .size vcMontSqr8Mulx, .-vcMontSqr8Mulx

# A row of a product: t0..t7 += rdx * b[0..7] (b at rcx) into the cleared
# t8, and the finished t0 goes to word i of the product.
.macro VC_PRODUCT_ROW8 i, t0, t1, t2, t3, t4, t5, t6, t7, t8
    mov 8*\i(%rsi), %rdx
    xor \t8, \t8
    VC_ROW8 %rcx, \t0, \t1, \t2, \t3, \t4, \t5, \t6, \t7, \t8
    adc $0, \t8
    mov \t0, 80+8*\i(%rsp)
.endm

# The product a * b row by row through nine registers, its low words
# stored as they are finished, then the reduction as for the square.
# Stack as for the square, with m kept at 208 while rcx holds b.
    .p2align 5
    .globl vcMontMul8Mulx
    .hidden vcMontMul8Mulx
    .type vcMontMul8Mulx, @function
vcMontMul8Mulx:
    push %rbx
    push %rbp
    push %r12
    push %r13
    push %r14
    push %r15
    sub $216, %rsp
    mov %rdi, 0(%rsp)
    mov %r8, 8(%rsp)
    mov %rcx, 208(%rsp)
    mov %rdx, %rcx
    xor %rbx, %rbx
    xor %rbp, %rbp
    xor %r8, %r8
    xor %r9, %r9
    xor %r10, %r10
    xor %r11, %r11
    xor %r12, %r12
    xor %r13, %r13
    VC_PRODUCT_ROW8 0, %rbx, %rbp, %r8, %r9, %r10, %r11, %r12, %r13, %r14
    VC_PRODUCT_ROW8 1, %rbp, %r8, %r9, %r10, %r11, %r12, %r13, %r14, %rbx
    VC_PRODUCT_ROW8 2, %r8, %r9, %r10, %r11, %r12, %r13, %r14, %rbx, %rbp
    VC_PRODUCT_ROW8 3, %r9, %r10, %r11, %r12, %r13, %r14, %rbx, %rbp, %r8
    VC_PRODUCT_ROW8 4, %r10, %r11, %r12, %r13, %r14, %rbx, %rbp, %r8, %r9
    VC_PRODUCT_ROW8 5, %r11, %r12, %r13, %r14, %rbx, %rbp, %r8, %r9, %r10
    VC_PRODUCT_ROW8 6, %r12, %r13, %r14, %rbx, %rbp, %r8, %r9, %r10, %r11
    VC_PRODUCT_ROW8 7, %r13, %r14, %rbx, %rbp, %r8, %r9, %r10, %r11, %r12
    mov %r14, 144(%rsp)
    mov %rbx, 152(%rsp)
    mov %rbp, 160(%rsp)
    mov %r8, 168(%rsp)
    mov %r9, 176(%rsp)
    mov %r10, 184(%rsp)
    mov %r11, 192(%rsp)
    mov %r12, 200(%rsp)
    mov 208(%rsp), %rcx
    lea 80(%rsp), %rsi
    VC_REDC8_BODY
    pxor %xmm0, %xmm0
    .set J, 0
    .rept 8
    movdqu %xmm0, 80+16*J(%rsp)
    .set J, J+1
    .endr
    VC_LEAVE 216
    .size vcMontMul8Mulx, .-vcMontMul8Mulx

# A step of the 16-limb reduction over eight limbs of m (at rcx): the
# window t0..t7 takes rdx * m[0..7], the word at offset `load` of rsi comes
# into t8 with the carries and the carry word r15 of the step before. With
# reduce = 1, rdx = t0 * n0 is this row's multiplier and is kept at slot
# `q`; otherwise rdx comes from slot `q` and the finished t0 goes to offset
# `store`.
.macro VC_STEP16 reduce, q, load, store, t0, t1, t2, t3, t4, t5, t6, t7, t8
    .if \reduce
    mov \t0, %rdx
    imul 8(%rsp), %rdx
    mov %rdx, 16+8*\q(%rsp)
    .else
    mov 16+8*\q(%rsp), %rdx
    .endif
    mov \load(%rsi), \t8
    xor %eax, %eax
    VC_ROW8 %rcx, \t0, \t1, \t2, \t3, \t4, \t5, \t6, \t7, \t8
    adcx %r15, \t8
    mov $0, %r15
    adox %r15, %r15
    adc $0, %r15
    .if \reduce == 0
    mov \t0, \store(%rsi)
    .endif
.endm

# r = t / 2^1024 mod m for t of 32 limbs below 2^1024 * m (t is
# overwritten). The rows q[0..7] * m take the low half of m and then, held
# back, the high half; the rows q[8..15] likewise. Registers as in the
# eight-limb reduction; stack: r (0), n0 (8), q (16..143), the carry word
# of the second part (144), t - m (152..279).
    .p2align 5
    .globl vcMontRedc16Mulx
    .hidden vcMontRedc16Mulx
    .type vcMontRedc16Mulx, @function
vcMontRedc16Mulx:
    VC_ENTER 296
    mov 0(%rsi), %rbx
    mov 8(%rsi), %rbp
    mov 16(%rsi), %r8
    mov 24(%rsi), %r9
    mov 32(%rsi), %r10
    mov 40(%rsi), %r11
    mov 48(%rsi), %r12
    mov 56(%rsi), %r13
    xor %r15d, %r15d
    VC_STEP16 1, 0, 64, 0, %rbx, %rbp, %r8, %r9, %r10, %r11, %r12, %r13, %r14
    VC_STEP16 1, 1, 72, 0, %rbp, %r8, %r9, %r10, %r11, %r12, %r13, %r14, %rbx
    VC_STEP16 1, 2, 80, 0, %r8, %r9, %r10, %r11, %r12, %r13, %r14, %rbx, %rbp
    VC_STEP16 1, 3, 88, 0, %r9, %r10, %r11, %r12, %r13, %r14, %rbx, %rbp, %r8
    VC_STEP16 1, 4, 96, 0, %r10, %r11, %r12, %r13, %r14, %rbx, %rbp, %r8, %r9
    VC_STEP16 1, 5, 104, 0, %r11, %r12, %r13, %r14, %rbx, %rbp, %r8, %r9, %r10
    VC_STEP16 1, 6, 112, 0, %r12, %r13, %r14, %rbx, %rbp, %r8, %r9, %r10, %r11
    VC_STEP16 1, 7, 120, 0, %r13, %r14, %rbx, %rbp, %r8, %r9, %r10, %r11, %r12
    lea 64(%rcx), %rcx
    VC_STEP16 0, 0, 128, 64, %r14, %rbx, %rbp, %r8, %r9, %r10, %r11, %r12, %r13
    VC_STEP16 0, 1, 136, 72, %rbx, %rbp, %r8, %r9, %r10, %r11, %r12, %r13, %r14
    VC_STEP16 0, 2, 144, 80, %rbp, %r8, %r9, %r10, %r11, %r12, %r13, %r14, %rbx
    VC_STEP16 0, 3, 152, 88, %r8, %r9, %r10, %r11, %r12, %r13, %r14, %rbx, %rbp
    VC_STEP16 0, 4, 160, 96, %r9, %r10, %r11, %r12, %r13, %r14, %rbx, %rbp, %r8
    VC_STEP16 0, 5, 168, 104, %r10, %r11, %r12, %r13, %r14, %rbx, %rbp, %r8, %r9
    VC_STEP16 0, 6, 176, 112, %r11, %r12, %r13, %r14, %rbx, %rbp, %r8, %r9, %r10
    VC_STEP16 0, 7, 184, 120, %r12, %r13, %r14, %rbx, %rbp, %r8, %r9, %r10, %r11
    lea -64(%rcx), %rcx
    mov %r15, 144(%rsp)
    mov %r13, 128(%rsi)
    mov %r14, 136(%rsi)
    mov %rbx, 144(%rsi)
    mov %rbp, 152(%rsi)
    mov %r8, 160(%rsi)
    mov %r9, 168(%rsi)
    mov %r10, 176(%rsi)
    mov %r11, 184(%rsi)
    mov 64(%rsi), %rbx
    mov 72(%rsi), %rbp
    mov 80(%rsi), %r8
    mov 88(%rsi), %r9
    mov 96(%rsi), %r10
    mov 104(%rsi), %r11
    mov 112(%rsi), %r12
    mov 120(%rsi), %r13
    xor %r15d, %r15d
    VC_STEP16 1, 8, 128, 0, %rbx, %rbp, %r8, %r9, %r10, %r11, %r12, %r13, %r14
    VC_STEP16 1, 9, 136, 0, %rbp, %r8, %r9, %r10, %r11, %r12, %r13, %r14, %rbx
    VC_STEP16 1, 10, 144, 0, %r8, %r9, %r10, %r11, %r12, %r13, %r14, %rbx, %rbp
    VC_STEP16 1, 11, 152, 0, %r9, %r10, %r11, %r12, %r13, %r14, %rbx, %rbp, %r8
    VC_STEP16 1, 12, 160, 0, %r10, %r11, %r12, %r13, %r14, %rbx, %rbp, %r8, %r9
    VC_STEP16 1, 13, 168, 0, %r11, %r12, %r13, %r14, %rbx, %rbp, %r8, %r9, %r10
    VC_STEP16 1, 14, 176, 0, %r12, %r13, %r14, %rbx, %rbp, %r8, %r9, %r10, %r11
    VC_STEP16 1, 15, 184, 0, %r13, %r14, %rbx, %rbp, %r8, %r9, %r10, %r11, %r12
    add 144(%rsp), %r15
    lea 64(%rcx), %rcx
    VC_STEP16 0, 8, 192, 128, %r14, %rbx, %rbp, %r8, %r9, %r10, %r11, %r12, %r13
    VC_STEP16 0, 9, 200, 136, %rbx, %rbp, %r8, %r9, %r10, %r11, %r12, %r13, %r14
    VC_STEP16 0, 10, 208, 144, %rbp, %r8, %r9, %r10, %r11, %r12, %r13, %r14, %rbx
    VC_STEP16 0, 11, 216, 152, %r8, %r9, %r10, %r11, %r12, %r13, %r14, %rbx, %rbp
    VC_STEP16 0, 12, 224, 160, %r9, %r10, %r11, %r12, %r13, %r14, %rbx, %rbp, %r8
    VC_STEP16 0, 13, 232, 168, %r10, %r11, %r12, %r13, %r14, %rbx, %rbp, %r8, %r9
    VC_STEP16 0, 14, 240, 176, %r11, %r12, %r13, %r14, %rbx, %rbp, %r8, %r9, %r10
    VC_STEP16 0, 15, 248, 184, %r12, %r13, %r14, %rbx, %rbp, %r8, %r9, %r10, %r11
    lea -64(%rcx), %rcx
    mov %r13, 192(%rsi)
    mov %r14, 200(%rsi)
    mov %rbx, 208(%rsi)
    mov %rbp, 216(%rsi)
    mov %r8, 224(%rsi)
    mov %r9, 232(%rsi)
    mov %r10, 240(%rsi)
    mov %r11, 248(%rsi)
    # The sum t[16..31] with the bit in r15; t - m replaces it unless it
    # borrows past r15.
    mov 0(%rsp), %rdi
    mov 128(%rsi), %rax
    sub 0(%rcx), %rax
    mov %rax, 152(%rsp)
    .set J, 1
    .rept 15
    mov 128+8*J(%rsi), %rax
    sbb 8*J(%rcx), %rax
    mov %rax, 152+8*J(%rsp)
    .set J, J+1
    .endr
    sbb $0, %r15
    .set J, 0
    .rept 16
    mov 152+8*J(%rsp), %rax
    cmovc 128+8*J(%rsi), %rax
    mov %rax, 8*J(%rdi)
    .set J, J+1
    .endr
    pxor %xmm0, %xmm0
    .set J, 0
    .rept 17
    movdqu %xmm0, 16+16*J(%rsp)
    .set J, J+1
    .endr
    VC_LEAVE 296
    .size vcMontRedc16Mulx, .-vcMontRedc16Mulx
    .purgem VC_STEP16
    .purgem VC_PRODUCT_ROW8
    .purgem VC_REDC8_BODY
    .purgem VC_ENTER
    .purgem VC_LEAVE
    .purgem VC_REDUCE8
    .purgem VC_ROW8
    .popsection
)");
#endif
