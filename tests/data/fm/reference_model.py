# A frame-by-frame model of the YM2612, written apart from fm/ in plain Python: every frame
# computes every channel in turn, with no shortcuts. It produced the golden renders in this
# folder from register logs in the fm-script format:
#   python3 reference_model.py features.fms > features.raw
import math, sys

def i32(x):
    x &= 0xFFFFFFFF
    return x - (1 << 32) if x & 0x80000000 else x
def u32(x): return x & 0xFFFFFFFF
def cint(x):  # (int) with wrap to low 32 bits
    return i32(int(x))  # int() truncates toward zero
def cdiv(a, b):  # C division
    q = abs(a) // abs(b)
    return q if (a >= 0) == (b >= 0) else -q
def sar(a, n): return a >> n  # python >> is arithmetic

LEVEL = [0] * 16384
for i in range(4095):
    LEVEL[i] = int(67108863.0 / math.pow(10.0, i * 0.0234375 / 20.0))
    LEVEL[8192 + i] = -LEVEL[i]
SINE = [0] * 2048
SINE[0] = SINE[1024] = 4095
for i in range(1, 513):
    a = int(math.log10(1.0 / math.sin(i * 6.283185307179586 / 2048.0)) * 20.0 / 0.0234375)
    SINE[i] = SINE[1024 - i] = a
    SINE[1024 + i] = SINE[2048 - i] = 8192 + a
CURVE = [0] * 8193
for i in range(4096):
    CURVE[i] = int(math.pow((4095 - i) / 4096.0, 8.0) * 4096.0)
    CURVE[4096 + i] = i
CURVE[8192] = 4095

MULT = [1, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30]
SL = [0x10000000 + s * 0x800000 for s in range(15)] + [0x1F800000]
KC = [0, 0, 0, 0, 0, 0, 0, 1, 2, 3, 3, 3, 3, 3, 3, 3]
AMD = [0, 59, 251, 503]
PMC = [0.0, 3.4, 6.7, 10.0, 14.0, 20.0, 40.0, 80.0]
LFOHZ = [3.98, 5.56, 6.02, 6.37, 6.88, 9.63, 48.1, 72.2]
DTB = [[0] * 32,
       [0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 2, 2, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5, 5, 6, 6, 7, 8, 8, 8, 8],
       [1, 1, 1, 1, 2, 2, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5, 5, 6, 6, 7, 8, 8, 9, 10, 11, 12, 13, 14, 16, 16, 16, 16],
       [2, 2, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5, 5, 6, 6, 7, 8, 8, 9, 10, 11, 12, 13, 14, 16, 17, 19, 20, 22, 22, 22, 22]]
TRI = [i * 256 if i < 256 else (512 - i) * 256 for i in range(512)]
ZERO = ('zero', 0)

class Op:
    def __init__(s):
        s.detune = 0; s.tl = 0; s.level = 0; s.rs = 0
        s.ar = ('a', 0); s.dr = ('d', 0); s.sr = ('d', 0); s.rr = ('d', 0)
        s.sl = 0; s.ks = 0; s.mul = 0; s.phase = 0; s.pstep = 0
        s.ephase = 0; s.ecnt = 0; s.eend = 0; s.estep = 0
        s.astep = s.dstep = s.sstep = s.rstep = 0; s.amon = 0; s.amd = 0

class Ch:
    def __init__(s):
        s.op = [Op() for _ in range(4)]
        s.pan = 0; s.alg = 0; s.fbs = 0; s.hist = [0, 0]
        s.routes = ['in3', 'in2', 'in4', 'out']  # op1, op3, op2, op4
        s.pmd = 0; s.amd = 0; s.fstep = 0; s.bf = 0; s.kc = 0

class Chip:
    def __init__(s, idx, clock, rate):
        s.index = idx; s.clock = clock; s.rate = rate
        s.address = 0; s.irq = 0; s.mask = 0; s.status = 0; s.mode = 0
        s.ta = 0; s.tac = 0; s.tb = 0; s.tbc = 0
        s.ch3 = [[0, 0, 0] for _ in range(3)]  # freq, bf, kc
        s.lfoc = 0; s.lfos = 0
        s.ch = [Ch() for _ in range(6)]
        s.addr2 = 0; s.dace = 0; s.dacv = 0

    def setup(s):
        fb = s.clock / s.rate / 144 if s.rate else 0.0
        s.fb = fb
        s.dt = [[0] * 32 for _ in range(8)]
        for d in range(4):
            for k in range(32):
                x = cint(DTB[d][k] * fb * 8.0)
                s.dt[d][k] = x; s.dt[d + 4][k] = i32(-x)
        s.att = [0] * 94; s.dec = [0] * 94
        for i in range(4, 64):
            r = fb
            if i < 60: r = (1.0 + (i & 3) * 0.25) * r
            r = math.pow(2.0, (i >> 2) - 1) * r * 268435456.0
            s.att[i] = cint(r / 399128); s.dec[i] = cint(r / 5514396)
        s.att[62] = s.att[63] = 0x0FFFFFFF
        for i in range(64, 94): s.att[i] = s.att[63]; s.dec[i] = s.dec[63]
        s.fnum = [u32(cint(i * fb * 8.0 * 128.0 / 2.0)) for i in range(2048)]
        s.lfosteps = [u32(cint(4294967296.0 / ((s.rate / LFOHZ[i]) * (s.rate * fb / 55555.555555555555)))) if s.rate else 0 for i in range(8)]

    def rstep(s, ref, ks):
        kind, pos = ref
        if kind == 'zero': return 0
        return (s.att if kind == 'a' else s.dec)[pos + ks]

class Core:
    def __init__(s):
        s.chips = None; s.ctx = None

    def init(s, count, clock, rate):
        if s.chips is not None: return 0x20000000
        s.ctx = None
        s.chips = [Chip(i, clock, rate) for i in range(count)]
        for i in range(count): s.reset(i)
        return 0

    def shutdown(s): s.chips = None

    def set_status(s, c, bits):
        c.status |= bits
        if c.irq == 0 and (c.status & c.mask): c.irq = 1
    def clr_status(s, c, bits):
        c.status &= ~bits & 0xFF
        if c.irq and not (c.status & c.mask): c.irq = 0

    def reset(s, i):
        c = s.chips[i]
        c.setup()
        c.mask = 3; s.set_status(c, 0); s.clr_status(c, 0)
        s.mode_write(c, 0x27, 0x30)
        c.mode = 0; s.clr_status(c, 0xFF)
        c.ta = c.tac = c.tb = c.tbc = 0
        for ch in c.ch:
            ch.fstep = 0; ch.pan = 3
            for o in ch.op:
                o.ephase = 0; o.ecnt = 0x20000000; o.eend = 0x20000001; o.estep = 0
        for r in (0xB6, 0xB5, 0xB4):
            s.opw(c, r, 0xC0); s.opw(c, r | 0x100, 0xC0)
        for r in range(0xB2, 0x2F, -1):
            s.opw(c, r, 0); s.opw(c, r | 0x100, 0)
        for r in range(0x26, 0x1F, -1):
            s.mode_write(c, r, 0)
        c.dace = 0

    def write(s, i, port, v):
        c = s.chips[i]
        p = port & 3
        if p == 0: c.address = v
        elif p == 1:
            a = c.address
            if a == 0x2A: c.dacv = i32((v - 128) << 19)
            elif a == 0x2B: c.dace = v & 0x80; s.ctx = None
            elif 0x20 <= a <= 0x2F: s.mode_write(c, a, v)
            else: s.opw(c, a, v)
        elif p == 2: c.addr2 = v
        else: s.opw(c, c.addr2 | 0x100, v)
        return c.irq

    def mode_write(s, c, r, v):
        if r == 0x22:
            c.lfos = c.lfosteps[v & 7] if v & 8 else 0
            s.ctx = None
        elif r == 0x24: c.ta = (c.ta & 3) | (v << 2)
        elif r == 0x25: c.ta = (c.ta & 0x3FC) | (v & 3)
        elif r == 0x26: c.tb = v
        elif r == 0x27:
            c.mode = v
            if v & 0x20: s.clr_status(c, 2)
            if v & 0x10: s.clr_status(c, 1)
            if (v & 2) and c.tbc == 0: c.tbc = (256 - c.tb) * 16 * 4096
            elif not (v & 2) and c.tbc != 0: c.tbc = 0
            if (v & 1) and c.tac == 0: c.tac = (1024 - c.ta) * 4096
            elif not (v & 1) and c.tac != 0: c.tac = 0
        elif r == 0x28:
            chn = v & 3
            if chn == 3: return
            if v & 4: chn += 3
            if chn == 2 and (c.mode & 0x80): return
            ch = c.ch[chn]
            for bit, opi in ((0x10, 0), (0x20, 2), (0x40, 1), (0x80, 3)):
                if v & bit: s.key_on(ch, opi)
                else: s.key_off(ch, opi)

    def key_on(s, ch, k):
        o = ch.op[k]
        if o.ephase in (0, 1):
            o.phase = 0
            if k == 0: ch.hist = [0, 0]
            o.ephase = 4; o.estep = o.astep; o.ecnt = 0; o.eend = 0x10000000

    def key_off(s, ch, k):
        o = ch.op[k]
        if o.ephase >= 2:
            o.ephase = 1
            if not (o.ecnt & 0x10000000):
                o.ecnt = (CURVE[o.ecnt >> 16] << 16) + 0x10000000
            o.eend = 0x20000000; o.estep = o.rstep

    def routes(s, ch):
        out = 'out'
        t = {0: ('in3', 'in2', 'in4'), 1: ('in2', 'in2', 'in4'), 2: ('in4', 'in2', 'in4'), 3: ('in3', 'in4', 'in4'),
             4: ('in3', out, 'in4'), 5: ('all', out, out), 6: ('in3', out, out), 7: (out, out, out)}[ch.alg]
        ch.routes = list(t) + [out]

    def freq(s, c, bf, v):
        fnum = ((bf & 7) << 8) + v; blk = bf >> 3
        kc = (blk << 2) | KC[fnum >> 7]
        return c.fnum[fnum] >> (7 - blk), kc

    def opw(s, c, r, v):
        if (r & 3) == 3: return
        g = r & 0xF0
        if g < 0x30 or g > 0xB0: return
        half = bool(r & 0x100)
        chn = (r & 3) + (3 if half else 0)
        ch = c.ch[chn]
        o = ch.op[(r >> 2) & 3]
        rr = r & 0xFF
        if g == 0x30:
            o.mul = MULT[v & 15]; o.detune = (v >> 4) & 7; ch.op[0].pstep = -1
        elif g == 0x40:
            t = v & 0x7F; o.tl = ((t << 7) | t) >> 2
            if not (chn == 2 and (c.mode & 0x80)): o.level = o.tl
        elif g == 0x50:
            o.rs = 3 - (v >> 6)
            ar = v & 0x1F
            o.ar = ('a', 2 * ar) if ar else ZERO
            o.astep = c.rstep(o.ar, o.ks)
            if o.ephase == 4: o.estep = o.astep
            ch.op[0].pstep = -1
        elif g == 0x60:
            d = v & 0x1F
            o.dr = ('d', 2 * d) if d else ZERO
            o.dstep = c.rstep(o.dr, o.ks)
            if o.ephase == 3: o.estep = o.dstep
            o.amon = v >> 7; o.amd = o.amon * ch.amd
        elif g == 0x70:
            d = v & 0x1F
            o.sr = ('d', 2 * d) if d else ZERO
            o.sstep = c.rstep(o.sr, o.ks)
            if o.ephase == 2: o.estep = o.sstep
        elif g == 0x80:
            o.sl = SL[v >> 4]
            o.rr = ('d', 4 * (v & 15) + 2)
            o.rstep = c.rstep(o.rr, o.ks)
            if o.ephase == 1: o.estep = o.rstep
        elif g == 0x90: pass
        elif 0xA0 <= rr <= 0xA2:
            ch.fstep, ch.kc = s.freq(c, ch.bf, v); ch.op[0].pstep = -1
        elif 0xA4 <= rr <= 0xA6:
            ch.bf = v & 0x3F
        elif 0xA8 <= rr <= 0xAA:
            if not half:
                e = c.ch3[rr & 3]
                e[0], e[2] = s.freq(c, e[1], v); c.ch[2].op[0].pstep = -1
        elif 0xAC <= rr <= 0xAE:
            if not half: c.ch3[rr & 3][1] = v & 0x3F
        elif 0xB0 <= rr <= 0xB2:
            ch.alg = v & 7; fbv = (v >> 3) & 7; ch.fbs = 9 - fbv if fbv else 0; s.routes(ch)
        elif 0xB4 <= rr <= 0xB6:
            ch.pmd = int(0.00125 * PMC[v & 7] * 1024.0)
            ch.amd = AMD[(v >> 4) & 3]
            for oo in ch.op: oo.amd = oo.amon * ch.amd
            ch.pan = (v >> 6) & 3; s.routes(ch)

    def refresh_op(s, c, o, f, k):
        o.pstep = i32(f * o.mul + c.dt[o.detune][k])
        ks = k >> o.rs
        if ks != o.ks:
            o.ks = ks
            o.astep = c.rstep(o.ar, ks); o.dstep = c.rstep(o.dr, ks)
            o.sstep = c.rstep(o.sr, ks); o.rstep = c.rstep(o.rr, ks)
        o.level = o.tl

    def refresh(s, c, n):
        ch = c.ch[n]
        if ch.op[0].pstep != -1: return
        if n == 2 and (c.mode & 0xC0):
            s.refresh_op(c, ch.op[0], c.ch3[1][0], c.ch3[1][2])
            s.refresh_op(c, ch.op[2], c.ch3[2][0], c.ch3[2][2])
            s.refresh_op(c, ch.op[1], c.ch3[0][0], c.ch3[0][2])
            s.refresh_op(c, ch.op[3], ch.fstep, ch.kc)
        else:
            for k in (0, 2, 1, 3): s.refresh_op(c, ch.op[k], ch.fstep, ch.kc)

    def env(s, o, lfo_am):
        o.ecnt = i32(o.ecnt + o.estep)
        if o.ecnt >= o.eend:
            if o.ephase == 4:
                o.ephase = 3; o.ecnt = 0x10000000; o.eend = o.sl; o.estep = o.dstep
            elif o.ephase == 3:
                o.ephase = 2; o.ecnt = o.sl; o.eend = 0x20000000; o.estep = o.sstep
            elif o.ephase == 2:
                o.ecnt = 0x20000000; o.eend = 0x20000001; o.estep = 0
            elif o.ephase == 1:
                o.ephase = 0; o.ecnt = 0x20000000; o.eend = 0x20000001; o.estep = 0
        e = o.level + CURVE[o.ecnt >> 16]
        if o.amd: e += (o.amd * lfo_am) >> 16
        return e

    def timer_a_over(s, c):
        if c.mode & 4: s.set_status(c, 1)
        c.tac = (1024 - c.ta) * 4096
        if c.mode & 0x80:
            ch = c.ch[2]
            for k in (0, 2, 1, 3): s.key_off(ch, k)
            for o in ch.op: o.level = o.tl
            for k in (0, 2, 1, 3): s.key_on(ch, k)

    def update(s, i, length):
        c = s.chips[i]
        dacv = c.dacv
        if s.ctx != i:
            s.ctx = i; s.c_dace = c.dace; s.c_lfoc = c.lfoc; s.c_lfos = c.lfos
            if s.c_lfos == 0: s.lfo_am = 0; s.lfo_pm = 0
        for n in range(6): s.refresh(c, n)
        L = []; R = []
        for f in range(length):
            if s.c_lfos:
                s.c_lfoc = u32(s.c_lfoc + s.c_lfos)
                s.lfo_am = TRI[s.c_lfoc >> 23]; s.lfo_pm = s.lfo_am - 32768
            acc = {'left': 0, 'right': 0, 'both': 0, 'discard': 0}
            for n in range(6):
                ch = c.ch[n]
                outname = ['discard', 'right', 'left', 'both'][ch.pan]
                if n == 5 and s.c_dace:
                    acc[outname] += dacv
                    continue
                pm = cdiv(s.lfo_pm * ch.pmd, 65536)
                for o in ch.op:
                    if pm:
                        o.phase = u32(o.phase + o.pstep + cdiv(i32(pm * o.pstep), 1024))
                    else:
                        o.phase = u32(o.phase + o.pstep)
                inp = {'in2': 0, 'in3': 0, 'in4': 0}
                def add(route, v):
                    if route == 'out': acc[outname] += v
                    else: inp[route] += v
                o1 = ch.op[0]
                e = s.env(o1, s.lfo_am)
                if e < 4095:
                    if ch.fbs:
                        fbv = sar(ch.hist[0] + ch.hist[1], ch.fbs)
                        ch.hist[1] = ch.hist[0]
                        ch.hist[0] = LEVEL[SINE[(u32(o1.phase + fbv) >> 13) & 0x7FF] + e]
                    else:
                        ch.hist[0] = LEVEL[SINE[(o1.phase >> 13) & 0x7FF] + e]
                    if ch.routes[0] == 'all':
                        inp = {'in2': ch.hist[0], 'in3': ch.hist[0], 'in4': ch.hist[0]}
                    else:
                        add(ch.routes[0], ch.hist[0])
                for k, inname, ri in ((2, 'in3', 1), (1, 'in2', 2), (3, 'in4', 3)):
                    o = ch.op[k]
                    e = s.env(o, s.lfo_am)
                    if e < 4095:
                        add(ch.routes[ri], LEVEL[SINE[(u32(o.phase + inp[inname]) >> 13) & 0x7FF] + e])
                acc[outname] = i32(acc[outname] & 0xFFE00000)
            l = acc['left'] + acc['both']; l = max(-0x10000000, min(0x0FFFFFFF, l))
            r = acc['right'] + acc['both']; r = max(-0x10000000, min(0x0FFFFFFF, r))
            L.append(l >> 21); R.append(r >> 21)
            if c.tac:
                c.tac -= int(c.fb * 4096.0)
                if c.tac <= 0: s.timer_a_over(c)
        if c.tbc:
            c.tbc -= int(c.fb * 4096.0 * length)
            if c.tbc <= 0:
                if c.mode & 8: s.set_status(c, 2)
                c.tbc = (256 - c.tb) * 16 * 4096
        c.lfoc = s.c_lfoc
        return L, R

def num(t): return int(t, 16) if t.lower().startswith('0x') else int(t)

def run_script(text):
    core = Core(); out = bytearray()
    for line in text.split('\n'):
        line = line.split('#')[0].split()
        if not line: continue
        cmd, a = line[0], [num(x) for x in line[1:]]
        if cmd == 'init': core.init(*a)
        elif cmd == 'reset': core.reset(a[0])
        elif cmd == 'write': core.write(a[0], a[1], a[2])
        elif cmd == 'update':
            L, R = core.update(a[0], a[1])
            for l, r in zip(L, R): out += bytes([l & 0xFF, r & 0xFF])
        elif cmd == 'shutdown': core.shutdown()
    return bytes(out)

if __name__ == '__main__':
    sys.stdout.buffer.write(run_script(open(sys.argv[1]).read()))
