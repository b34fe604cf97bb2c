#!/usr/bin/env python3
"""Independent re-implementation of how a PDB file becomes atoms, chains, residues and bonds,
compared with what `vorn-cli info` and `vorn-cli bonds` report.

Usage: crosscheck.py VORN_CLI FILE [FILE...] [--no-connect] [--multi]
Python 3 standard library only; written from the format rules, not from the C++ code."""
import gzip
import re
import struct
import subprocess
import sys
from collections import Counter

_F32 = struct.Struct('f')
SEPS = re.compile(r'[ \t\r\n]+')
NUMERIC_TOKEN = re.compile(r'^[0-9+-]+$')
FLOAT_PREFIX = re.compile(r'^[ \t\r\n]*([+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?)')
INT_PREFIX = re.compile(r'^[ \t\r\n]*([+-]?\d+)')
WATER = ('TIP', 'SPC', 'HOH', 'SOL')


class ParseError(Exception):
    pass


def f32(v):
    return _F32.unpack(_F32.pack(v))[0]


def atoi(s):
    m = INT_PREFIX.match(s or '')
    return int(m.group(1)) if m else 0


def atof(s):
    m = FLOAT_PREFIX.match(s or '')
    return f32(float(m.group(1))) if m else 0.0


def read_lines(path):
    """Lines as the 511-character line reader sees them (gzip content read transparently)."""
    with open(path, 'rb') as fh:
        data = fh.read()
    if data[:2] == b'\x1f\x8b':
        data = gzip.decompress(data)
    return [ln[:511] for ln in data.decode('latin-1').split('\n')]


def tokens(line):
    return [t for t in SEPS.split(line) if t]


class Record:
    def __init__(self):
        self.record = self.atom_name = self.res_name = ''
        self.serial = self.res_seq = self.model = 0
        self.x = self.y = self.z = 0.0
        self.hetero = False
        self.chain = ' '


def set_res_name(rec, name):
    if len(name) > 5:
        raise ParseError('SetResName: Error in assigning PDB_RESIDUE_FIELD')
    rec.res_name = name.upper()
    rec.hetero = rec.res_name[:3] in WATER


def next_chain(c):
    if 'A' <= c <= 'Z':
        return chr(ord('A') + (ord(c) - ord('A') + 1) % 25)
    if 'a' <= c <= 'z':
        return chr(ord('a') + (ord(c) - ord('a') + 1) % 25)
    if c == ' ':
        return 'A'
    if c.isdigit():
        return chr(ord('0') + (int(c) + 1) % 9)
    return c


def split2(s):
    """Two glued numbers, both assumed to have as many decimals as the last one."""
    cut = s.index('.') + (len(s) - s.rindex('.') - 1) + 1
    return s[:cut], s[cut:]


def parse_coords(toks, p, rec):
    """Sets x, y, z from the coordinate tokens starting at toks[p]; returns the next position."""
    tok = lambda i: toks[i] if i < len(toks) else None
    X = tok(p) or ''
    n = X.count('.')
    if n <= 1:
        rec.x = atof(X)
        Y = tok(p + 1) or ''
        m = Y.count('.')
        if m <= 1:
            rec.y, rec.z = atof(Y), atof(tok(p + 2))
            return p + 3
        if m == 2:
            a, b = split2(Y)
            rec.y, rec.z = atof(a), atof(b)
        return p + 2
    if n == 2:
        a, b = split2(X)
        rec.x, rec.y, rec.z = atof(a), atof(b), atof(tok(p + 1))
        return p + 2
    if n == 3:
        a, rest = split2(X)
        b, c = split2(rest)
        rec.x, rec.y, rec.z = atof(a), atof(b), atof(c)
    return p + 1


class Reader:
    def __init__(self, lines):
        self.model = 0
        self.after_ter = False
        self.rename = None  # (old chain, new chain) while renaming after TER
        self.records = []
        for line in lines:
            t = tokens(line)
            if not t:
                continue
            if len(t[0]) > 6 and t[0].startswith('HETATM') and t[0][6:].isdigit():
                t = ['HETATM', t[0][6:]] + t[1:]  # five-digit serial run into the name
            if t[0] == 'MODEL':
                self.model = atoi(t[1] if len(t) > 1 else '')
            elif t[0] == 'TER':
                self.after_ter = True
            elif t[0] in ('ATOM', 'HETATM'):
                self.records.append(self.read_atom(t))

    def read_atom(self, t):
        rec = Record()
        prev = self.records[-1] if self.records else None
        tok = lambda i: t[i] if i < len(t) else None
        rec.model = self.model
        if len(t[0]) > 7:
            raise ParseError('SetRecord: Error in assigning PDB_RECORD_FIELD!')
        rec.record = t[0].upper()
        rec.serial = atoi(tok(1))
        T = tok(2)
        if T is None:
            raise ParseError('Error parsing file!')
        if len(T) >= 5:
            rec.atom_name = T[:min(len(T) - 3, 6)]
            set_res_name(rec, T[-3:])
            p = 3
        else:
            rec.atom_name = T.upper()
            U = tok(3)
            if U is not None and NUMERIC_TOKEN.match(U):
                set_res_name(rec, 'UNK0')
                p = 3
            else:
                q = 4 if (rec.record == 'HETATM' and U is not None and len(U) == 1) else 3
                if tok(q) is None:
                    raise ParseError('Error parsing file!')
                set_res_name(rec, tok(q))
                p = q + 1
        if rec.record == 'HETATM':
            rec.hetero = True
        ctok = tok(p)
        if ctok is None:
            raise ParseError('Error parsing file!')
        if not ctok[0].isdigit():
            rec.chain = ctok[0]
            if len(ctok) == 1:
                num, p = tok(p + 1), p + 2
            else:
                num, p = ctok[1:], p + 1
        else:
            peek = tok(p + 1)
            if peek is not None and '.' in peek:
                num, p = ctok, p + 1
                if len(rec.res_name) > 4:
                    rec.chain, rec.res_name = rec.res_name[-1], rec.res_name[:-1]
            else:
                rec.chain, num, p = ctok[0], peek, p + 2
        self.rename_after_ter(rec, prev)
        rec.res_seq = atoi(num)
        p = parse_coords(t, p, rec)
        if len(t) - p >= 2 and prev is not None and rec.serial < prev.serial \
                and rec.chain != prev.chain and rec.model == prev.model:
            self.model += 1
            rec.model = self.model
        return rec

    def rename_after_ter(self, rec, prev):
        if self.after_ter:
            self.after_ter = False
            if prev is not None and prev.chain == rec.chain:
                self.rename = (rec.chain, next_chain(rec.chain))
        if self.rename:
            if rec.chain == self.rename[0]:
                rec.chain = self.rename[1]
            else:
                self.rename = None


def read_conects(lines):
    """CONECT entries [owner, [serials]]; consecutive lines of one owner form one entry."""
    entries = []
    for line in lines:
        t = tokens(line)
        if not t or t[0] != 'CONECT':
            continue
        if len(t) < 2 or not NUMERIC_TOKEN.match(t[1]):
            raise ParseError('Error parsing file!')
        owner, listed = atoi(t[1]), []
        for tk in t[2:]:
            if not NUMERIC_TOKEN.match(tk):
                break
            while len(tk) > 5:
                listed.append(atoi(tk[-5:]))
                tk = tk[:-5]
            listed.append(atoi(tk))
        if entries and entries[-1][0] == owner:
            entries[-1][1].extend(listed)
        else:
            entries.append([owner, listed])
    return entries


class SerialIndex:
    """Atom index of a serial: fast path, then a growing search window, then a full scan."""
    def __init__(self, records):
        self.serials = [r.serial for r in records]
        self.radius = -1

    def __call__(self, s):
        n = len(self.serials)
        if 1 <= s <= n and self.serials[s - 1] == s:
            return s - 1
        if self.radius >= 0:
            for i in range(max(0, s - self.radius), min(s + self.radius, n)):
                if self.serials[i] == s:
                    return i
        for i, v in enumerate(self.serials):
            if v == s:
                self.radius = max(self.radius, abs(s - i))
                return i
        return -1


def bond_radius(name):
    letters = [c for c in name if c.isalpha()]
    first = letters[0] if letters else ''
    return f32({'H': 0.455, 'D': 0.68, 'P': 0.975, 'S': 1.245}.get(first, 0.905))


def bonded(a, b, ra, rb):
    if a.model != b.model:
        return False
    t = f32(ra + rb)
    t = f32(t * t)
    dx, dy, dz = f32(a.x - b.x), f32(a.y - b.y), f32(a.z - b.z)
    dx2 = f32(dx * dx)
    if not dx2 < t:
        return False
    s = f32(dx2 + f32(dy * dy))
    return s < t and f32(s + f32(dz * dz)) < t


def computed_lists(records):
    """Neighbour index lists of every record from distances (3 A cells, all pairs within reach)."""
    radii = [bond_radius(r.atom_name) for r in records]
    cells = {}
    for i, r in enumerate(records):
        cells.setdefault((int(r.x // 3), int(r.y // 3), int(r.z // 3)), []).append(i)
    lists = [[] for _ in records]
    for (cx, cy, cz), members in cells.items():
        near = [j for dx in (-1, 0, 1) for dy in (-1, 0, 1) for dz in (-1, 0, 1)
                for j in cells.get((cx + dx, cy + dy, cz + dz), ())]
        for i in members:
            for j in near:
                if j > i and bonded(records[i], records[j], radii[i], radii[j]):
                    lists[i].append(j)
                    lists[j].append(i)
    return lists


def merge(records, lists, conects, index_of):
    """Lets the file's CONECT lists override (hetero owners) or extend (ATOM owners) `lists`."""
    k = 0
    for i, rec in enumerate(records):
        if k >= len(conects) or rec.serial != conects[k][0]:
            continue
        copied = [index_of(s) for s in conects[k][1]]
        k += 1
        if rec.record == 'ATOM' and not rec.hetero:
            for j in copied:
                if j not in lists[i]:
                    lists[i].append(j)
                if i not in lists[j]:
                    lists[j].append(i)
            continue
        for j in lists[i]:
            lists[j] = [v for v in lists[j] if v != i]
        lists[i] = list(copied)
        for j in copied:
            lists[j].append(i)


def connectivity(records, conects, connect):
    """(owner index, [listed indices]) entries; -1 for serials that name no record."""
    index_of = SerialIndex(records)
    file_entries = lambda: [(index_of(o), [index_of(s) for s in l]) for o, l in conects]
    if not connect or not records or len(conects) == len(records):
        return file_entries()
    if not conects or any(r.model != records[0].model for r in records):
        return list(enumerate(computed_lists(records)))
    lists = computed_lists(records)
    if all(index_of(s) >= 0 for _, l in conects for s in l):
        merge(records, lists, conects, index_of)
    return list(enumerate(lists))


THREE_LETTER_BASES = {'ade': 20, 'cyt': 21, 'gua': 22, 'thy': 23, 'ura': 24}


def residue_type(name):
    n = name.lower()
    if not n:
        return 25
    if n in THREE_LETTER_BASES:
        return THREE_LETTER_BASES[n]
    # DA ... DU and RA ... RU, with the 5' and 3' terminal forms (DA5, RU3)
    if n[0] in 'dr' and len(n) in (2, 3) and n[1] in 'acgtu' and n[2:] in ('', '5', '3') \
            and n[:2] != 'rt':
        return 20 + 'acgtu'.index(n[1])
    c, s2, s3 = n[0], n[1:2], n[2:3]
    if len(n) == 1 and c in 'acgtu':
        return 20 + 'acgtu'.index(c)
    if c == 'a':
        return 0 if s2 == 'l' else 10 if s2 == 'r' else 7 if s3 == 'p' else 16
    if c == 'g':
        return 8 if s3 == 'u' else 19 if s3 == 'y' else 17
    if c == 't':
        return 12 if s2 == 'h' else 13 if s2 == 'y' else 18
    if c == 'p':
        return 2 if s2 == 'h' else 3
    if c == 'l':
        return 6 if s2 == 'e' else 9
    return {'v': 1, 'm': 4, 'i': 5, 's': 11, 'h': 14, 'c': 15}.get(c, 25)


def build(records, conects, connect, multi):
    """Counts and bond serial pairs of the molecule built from the record set."""
    n = len(records)
    if multi and n:
        models = 1 + sum(records[i].model != records[i - 1].model for i in range(1, n))
        if n % models == 0:
            n //= models
    atoms = records[:n]
    hetero = [a.hetero for a in atoms]
    chains, key, residue = [], None, None
    for i, a in enumerate(atoms):
        if hetero[i]:
            continue
        if (a.model, a.chain) != key:
            key, residue = (a.model, a.chain), None
            chains.append([])
        if residue is None or residue['number'] != a.res_seq:
            residue = {'ca': -1, 'orient': -1}
            chains[-1].append(residue)
        residue['type'], residue['number'] = residue_type(a.res_name), a.res_seq
        names = (('C3*', "C3'"), ('C5*', "C5'")) if 20 <= residue['type'] <= 24 \
            else (('CA',), ('O',))
        if a.atom_name in names[0]:
            residue['ca'] = i
        if a.atom_name in names[1]:
            residue['orient'] = i
    kept = sum(1 for c in chains for r in c if r['ca'] >= 0 and r['orient'] >= 0)
    bonds = []
    for owner, listed in connectivity(records, conects, connect):
        for b in listed:
            if 0 <= owner < b < n and (not multi or
                                       atoms[owner].model == atoms[b].model == records[0].model):
                bonds.append((owner, b))
    has_bond = set(i for pair in bonds for i in pair)
    for i, a in enumerate(atoms):
        if i not in has_bond and a.atom_name.startswith('O'):
            hetero[i] = True
    return {'atoms': n, 'hetero': sum(hetero), 'chains': len(chains), 'residues': kept,
            'bonds': len(bonds),
            'pairs': Counter((atoms[a].serial, atoms[b].serial) for a, b in bonds)}


def expected(path, connect, multi):
    lines = read_lines(path)
    try:
        records = Reader(lines).records
        conects = read_conects(lines)
    except ParseError as e:
        return {'error': str(e)}
    return build(records, conects, connect, multi)


def run_cli(cli, cmd, path, opts):
    p = subprocess.run([cli, cmd] + opts + [path], capture_output=True, text=True)
    return p.returncode, p.stdout, p.stderr


def actual(cli, path, opts):
    rc, out, err = run_cli(cli, 'info', path, opts)
    if rc != 0:
        return {'error': (err or out).strip()}
    got = {}
    for line in out.splitlines():
        k, _, v = line.partition(':')
        if k.strip() in ('atoms', 'hetero', 'chains', 'residues', 'bonds'):
            got[k.strip()] = int(v.split()[0])
    rc, out, err = run_cli(cli, 'bonds', path, opts)
    if rc != 0:
        return {'error': 'bonds: ' + (err or out).strip()}
    got['pairs'] = Counter(tuple(int(v) for v in ln.split()[:2]) for ln in out.splitlines()
                           if len(ln.split()) >= 2)
    return got


def compare(exp, got):
    """Mismatch descriptions; empty when both sides agree."""
    if 'error' in exp or 'error' in got:
        if 'error' in exp and 'error' in got:
            return []
        return ['expected %s, vorn-cli %s' % (exp.get('error', 'success'),
                                               got.get('error', 'success'))]
    out = ['%s: expected %d, vorn-cli %s' % (k, exp[k], got.get(k, 'missing'))
           for k in ('atoms', 'hetero', 'chains', 'residues', 'bonds') if exp[k] != got.get(k)]
    missing, extra = exp['pairs'] - got['pairs'], got['pairs'] - exp['pairs']
    if missing or extra:
        out.append('bond pairs: %d missing from vorn-cli, %d extra' %
                   (sum(missing.values()), sum(extra.values())))
        out += ['  missing %d %d' % p for p in sorted(missing)[:5]]
        out += ['  extra   %d %d' % p for p in sorted(extra)[:5]]
    return out


def main(argv):
    flags = [a for a in argv[1:] if a.startswith('--')]
    args = [a for a in argv[1:] if not a.startswith('--')]
    unknown = set(flags) - {'--no-connect', '--multi'}
    if len(args) < 2 or unknown:
        sys.stderr.write(__doc__.split('\n\n')[1] + '\n')
        return 2
    connect, multi = '--no-connect' not in flags, '--multi' in flags
    opts = (['-no_connect'] if not connect else []) + (['-multi'] if multi else [])
    passed = failed = 0
    for path in args[1:]:
        problems = compare(expected(path, connect, multi), actual(args[0], path, opts))
        label = ' '.join([path] + opts)
        if problems:
            failed += 1
            print('FAIL %s' % label)
            for p in problems:
                print('  ' + p)
        else:
            passed += 1
            print('ok   %s' % label)
    print('%d passed, %d failed' % (passed, failed))
    return 1 if failed else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
