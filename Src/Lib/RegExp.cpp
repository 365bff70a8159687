// The regular-expression engine: Henry Spencer's classic algorithm. A pattern is compiled in
// two passes (the first only measures) into a program of nodes, which a backtracking matcher
// then runs at each candidate position of the text.
//
// A node is an opcode byte, a 16-bit offset to the next node (0: none; BACK counts backwards)
// and, for EXACTLY, ANYOF and ANYBUT, a null-terminated operand. The first program byte is a
// magic number so that a damaged program is recognised.
#include "Lib/RegExp.h"

#include <atomic>
#include <cstring>
#include <new>
#include <vector>

namespace {

enum : unsigned char {
    OpEnd = 0,      // end of the program
    OpBol = 1,      // match at the start position only
    OpEol = 2,      // match at the end of the text only
    OpAny = 3,      // any one character
    OpAnyOf = 4,    // one character of the operand
    OpAnyBut = 5,   // one character not in the operand
    OpBranch = 6,   // try this alternative (operand node), else the next branch
    OpBack = 7,     // no-op whose next pointer points backwards
    OpExactly = 8,  // the operand's literal text
    OpNothing = 9,  // matches the empty text
    OpStar = 10,    // simple operand node, 0 or more times
    OpPlus = 11,    // simple operand node, 1 or more times
    OpOpen = 20,    // OpOpen + n: group n starts here
    OpClose = 30,   // OpClose + n: group n ends here
};

const unsigned char RegMagic = 0234;
const int RegNSub = 10;             // the whole match and nine groups
const unsigned RegMaxSize = 32767;  // next offsets are 16-bit
const char RegMeta[] = "^$.[()|?+*\\";

// Deepest recursion of the matcher. Repetitions of groups and alternatives recurse once per
// step, so a long text could otherwise run the stack out (the log's writer thread searches log
// texts of any length); a search deeper than this fails instead.
const int RegMaxDepth = 3000;

// Properties of a compiled piece, passed upwards while compiling.
enum { FlWorst = 0, FlHasWidth = 1, FlSimple = 2, FlSpStart = 4 };

std::atomic<TRegErrHook> regErrHook{nullptr};

void RegError(const char *msg)
{
    TRegErrHook hook = regErrHook.load();
    if (hook)
        hook(msg);
}

bool IsMult(char c)
{
    return c == '*' || c == '+' || c == '?';
}

struct TRegProg {
    std::vector<unsigned char> code;
    int start = -1;         // the byte every match begins with, or -1
    bool anchored = false;  // the pattern begins with ^
    size_t mustOff = 0;     // offset of a literal every match contains, if mustLen > 0
    size_t mustLen = 0;
};

const char *Operand(const unsigned char *code, size_t node)
{
    return reinterpret_cast<const char *>(code + node + 3);
}

size_t NextNode(const unsigned char *code, size_t node)
{
    unsigned offset = ((unsigned)code[node + 1] << 8) | code[node + 2];
    if (offset == 0)
        return 0;
    return code[node] == OpBack ? node - offset : node + offset;
}

// One compilation pass. In the measuring pass `code` is null and only `pos` advances.
class TRegComp {
public:
    TRegComp(const char *pattern, unsigned char *code) : parse(pattern), code(code) {}

    // Compiles the whole pattern. Returns false after reporting an error.
    bool Run(int *flags)
    {
        Emit(RegMagic);
        return Reg(false, flags) != 0;
    }

    size_t Size() const { return pos; }

private:
    const char *parse;
    unsigned char *code;
    size_t pos = 0;
    int npar = 1;

    size_t Fail(const char *msg)
    {
        RegError(msg);
        return 0;
    }

    void Emit(unsigned char b)
    {
        if (code)
            code[pos] = b;
        ++pos;
    }

    size_t Node(unsigned char op)
    {
        size_t node = pos;
        Emit(op);
        Emit(0);
        Emit(0);
        return node;
    }

    // Inserts a node before the operand at `opnd`, moving the operand up.
    void Insert(unsigned char op, size_t opnd)
    {
        if (code) {
            memmove(code + opnd + 3, code + opnd, pos - opnd);
            code[opnd] = op;
            code[opnd + 1] = 0;
            code[opnd + 2] = 0;
        }
        pos += 3;
    }

    // Sets the next pointer of the last node of the chain that starts at `node`.
    void Tail(size_t node, size_t val)
    {
        if (!code)
            return;
        size_t scan = node;
        for (size_t next; (next = NextNode(code, scan)) != 0;)
            scan = next;
        size_t offset = code[scan] == OpBack ? scan - val : val - scan;
        code[scan + 1] = (unsigned char)((offset >> 8) & 0xff);
        code[scan + 2] = (unsigned char)(offset & 0xff);
    }

    // Tail on the operand of a BRANCH node; nothing for other nodes.
    void OpTail(size_t node, size_t val)
    {
        if (!code || code[node] != OpBranch)
            return;
        Tail(node + 3, val);
    }

    // The pattern, or a parenthesised group: alternatives separated by |.
    size_t Reg(bool paren, int *flagp)
    {
        *flagp = FlHasWidth;
        size_t ret = 0;
        int parno = 0;
        if (paren) {
            if (npar >= RegNSub)
                return Fail("too many ()");
            parno = npar++;
            ret = Node((unsigned char)(OpOpen + parno));
        }
        int flags;
        size_t br = Branch(&flags);
        if (br == 0)
            return 0;
        if (ret != 0)
            Tail(ret, br);
        else
            ret = br;
        if (!(flags & FlHasWidth))
            *flagp &= ~FlHasWidth;
        *flagp |= flags & FlSpStart;
        while (*parse == '|') {
            ++parse;
            br = Branch(&flags);
            if (br == 0)
                return 0;
            Tail(ret, br);
            if (!(flags & FlHasWidth))
                *flagp &= ~FlHasWidth;
            *flagp |= flags & FlSpStart;
        }
        size_t ender = Node(paren ? (unsigned char)(OpClose + parno) : (unsigned char)OpEnd);
        Tail(ret, ender);
        if (code) {
            for (size_t b = ret; b != 0; b = NextNode(code, b))
                OpTail(b, ender);
        }
        if (paren) {
            if (*parse++ != ')')
                return Fail("unmatched ()");
        } else if (*parse != '\0') {
            return Fail(*parse == ')' ? "unmatched ()" : "junk on end");
        }
        return ret;
    }

    // One alternative: a sequence of pieces.
    size_t Branch(int *flagp)
    {
        *flagp = FlWorst;
        size_t ret = Node(OpBranch);
        size_t chain = 0;
        while (*parse != '\0' && *parse != '|' && *parse != ')') {
            int flags;
            size_t latest = Piece(&flags);
            if (latest == 0)
                return 0;
            *flagp |= flags & FlHasWidth;
            if (chain == 0)
                *flagp |= flags & FlSpStart;
            else
                Tail(chain, latest);
            chain = latest;
        }
        if (chain == 0)
            Node(OpNothing);
        return ret;
    }

    // An atom, optionally followed by one repetition operator.
    size_t Piece(int *flagp)
    {
        int flags;
        size_t ret = Atom(&flags);
        if (ret == 0)
            return 0;
        char op = *parse;
        if (!IsMult(op)) {
            *flagp = flags;
            return ret;
        }
        if (!(flags & FlHasWidth) && op != '?')
            return Fail("*+ operand could be empty");
        *flagp = op != '+' ? (FlWorst | FlSpStart) : (FlWorst | FlHasWidth);

        if (op == '*' && (flags & FlSimple)) {
            Insert(OpStar, ret);
        } else if (op == '*') {
            // x* becomes (x&|), where & loops back to the branch.
            Insert(OpBranch, ret);
            OpTail(ret, Node(OpBack));
            OpTail(ret, ret);
            Tail(ret, Node(OpBranch));
            Tail(ret, Node(OpNothing));
        } else if (op == '+' && (flags & FlSimple)) {
            Insert(OpPlus, ret);
        } else if (op == '+') {
            // x+ becomes x(&|).
            size_t next = Node(OpBranch);
            Tail(ret, next);
            Tail(Node(OpBack), ret);
            Tail(next, Node(OpBranch));
            Tail(ret, Node(OpNothing));
        } else {
            // x? becomes (x|).
            Insert(OpBranch, ret);
            Tail(ret, Node(OpBranch));
            size_t next = Node(OpNothing);
            Tail(ret, next);
            OpTail(ret, next);
        }
        ++parse;
        if (IsMult(*parse))
            return Fail("nested *?+");
        return ret;
    }

    size_t Atom(int *flagp)
    {
        *flagp = FlWorst;
        size_t ret;
        switch (*parse++) {
        case '^':
            ret = Node(OpBol);
            break;
        case '$':
            ret = Node(OpEol);
            break;
        case '.':
            ret = Node(OpAny);
            *flagp |= FlHasWidth | FlSimple;
            break;
        case '[': {
            if (*parse == '^') {
                ret = Node(OpAnyBut);
                ++parse;
            } else {
                ret = Node(OpAnyOf);
            }
            if (*parse == ']' || *parse == '-')
                Emit((unsigned char)*parse++);
            while (*parse != '\0' && *parse != ']') {
                if (*parse == '-') {
                    ++parse;
                    if (*parse == ']' || *parse == '\0') {
                        Emit('-');
                    } else {
                        // The range's first character is the one before the hyphen, already
                        // emitted; add the characters after it up to the end character.
                        unsigned from = (unsigned char)parse[-2] + 1;
                        unsigned to = (unsigned char)*parse;
                        if (from > to + 1)
                            return Fail("invalid [] range");
                        for (; from <= to; ++from)
                            Emit((unsigned char)from);
                        ++parse;
                    }
                } else {
                    Emit((unsigned char)*parse++);
                }
            }
            Emit('\0');
            if (*parse != ']')
                return Fail("unmatched []");
            ++parse;
            *flagp |= FlHasWidth | FlSimple;
            break;
        }
        case '(': {
            int flags;
            ret = Reg(true, &flags);
            if (ret == 0)
                return 0;
            *flagp |= flags & (FlHasWidth | FlSpStart);
            break;
        }
        case '\0':
        case '|':
        case ')':
            // Branch() stops at these, so they cannot reach an atom.
            return Fail("internal urp");
        case '?':
        case '+':
        case '*':
            return Fail("?+* follows nothing");
        case '\\':
            if (*parse == '\0')
                return Fail("trailing \\");
            ret = Node(OpExactly);
            Emit((unsigned char)*parse++);
            Emit('\0');
            *flagp |= FlHasWidth | FlSimple;
            break;
        default: {
            // A run of ordinary characters becomes one literal node; the last character stays
            // apart when a repetition operator follows it, since the operator applies to it alone.
            --parse;
            size_t len = strcspn(parse, RegMeta);
            if (len == 0)
                return Fail("internal disaster");
            if (len > 1 && IsMult(parse[len]))
                --len;
            *flagp |= FlHasWidth;
            if (len == 1)
                *flagp |= FlSimple;
            ret = Node(OpExactly);
            for (; len > 0; --len)
                Emit((unsigned char)*parse++);
            Emit('\0');
            break;
        }
        }
        return ret;
    }
};

// Compiles `pattern` into `prog`. Returns false after reporting an error.
bool RegCompile(const char *pattern, TRegProg &prog)
{
    if (!pattern) {
        RegError("NULL argument");
        return false;
    }
    int flags;
    TRegComp measure(pattern, nullptr);
    if (!measure.Run(&flags))
        return false;
    if (measure.Size() >= RegMaxSize) {
        RegError("regexp too big");
        return false;
    }
    try {
        prog.code.assign(measure.Size(), 0);
    } catch (const std::bad_alloc &) {
        RegError("out of space");
        return false;
    }
    TRegComp gen(pattern, prog.code.data());
    if (!gen.Run(&flags))
        return false;

    // Shortcuts for the search, read from the one top-level alternative if there is only one.
    const unsigned char *code = prog.code.data();
    size_t scan = 1;
    if (code[NextNode(code, scan)] == OpEnd) {
        scan += 3;
        if (code[scan] == OpExactly)
            prog.start = (unsigned char)*Operand(code, scan);
        else if (code[scan] == OpBol)
            prog.anchored = true;
        // A pattern that starts with a repetition is costly to try at every position; the
        // longest literal that every match contains lets a text without it be rejected at once.
        if (flags & FlSpStart) {
            for (; scan != 0; scan = NextNode(code, scan)) {
                if (code[scan] == OpExactly && strlen(Operand(code, scan)) >= prog.mustLen) {
                    prog.mustOff = scan + 3;
                    prog.mustLen = strlen(Operand(code, scan));
                }
            }
        }
    }
    return true;
}

// The matcher's state for one search.
class TRegExec {
public:
    explicit TRegExec(const TRegProg &prog) : code(prog.code.data()), prog(prog) {}

    // Returns the offset of the leftmost match in `text`, or -1.
    unsigned Search(const char *text)
    {
        if (code[0] != RegMagic) {
            RegError("corrupted program");
            return (unsigned)-1;
        }
        if (prog.mustLen > 0) {
            const char *must = reinterpret_cast<const char *>(code + prog.mustOff);
            const char *s = text;
            while ((s = strchr(s, must[0])) != nullptr && strncmp(s, must, prog.mustLen) != 0)
                ++s;
            if (!s)
                return (unsigned)-1;
        }
        bol = text;
        if (prog.anchored)
            return Try(text) ? 0 : (unsigned)-1;
        const char *s = text;
        if (prog.start >= 0) {
            while ((s = strchr(s, (char)prog.start)) != nullptr) {
                if (Try(s))
                    return (unsigned)(s - text);
                if (failed)
                    return (unsigned)-1;
                ++s;
            }
            return (unsigned)-1;
        }
        do {
            if (Try(s))
                return (unsigned)(s - text);
            if (failed)
                return (unsigned)-1;
        } while (*s++ != '\0');
        return (unsigned)-1;
    }

private:
    const unsigned char *code;
    const TRegProg &prog;
    const char *bol = nullptr;
    const char *input = nullptr;
    const char *startp[RegNSub] = {};
    const char *endp[RegNSub] = {};
    int depth = 0;
    bool failed = false;  // an error was reported; the search ends without a match

    bool Try(const char *s)
    {
        input = s;
        for (int i = 0; i < RegNSub; ++i)
            startp[i] = endp[i] = nullptr;
        if (!Match(1))
            return false;
        startp[0] = s;
        endp[0] = input;
        return true;
    }

    bool Fail(const char *msg)
    {
        if (!failed)
            RegError(msg);
        failed = true;
        return false;
    }

    // Counts how often the simple node `node` matches from the input on, and moves past them.
    size_t Repeat(size_t node)
    {
        const char *scan = input;
        const char *opnd = Operand(code, node);
        switch (code[node]) {
        case OpAny:
            scan += strlen(scan);
            break;
        case OpExactly:
            while (*opnd == *scan)
                ++scan;
            break;
        case OpAnyOf:
            while (*scan != '\0' && strchr(opnd, *scan) != nullptr)
                ++scan;
            break;
        case OpAnyBut:
            while (*scan != '\0' && strchr(opnd, *scan) == nullptr)
                ++scan;
            break;
        default:
            Fail("internal foulup");
            return 0;
        }
        size_t count = (size_t)(scan - input);
        input = scan;
        return count;
    }

    struct TDepth {
        int &d;
        explicit TDepth(int &d) : d(d) { ++d; }
        ~TDepth() { --d; }
    };

    // Matches the program from `scan` on at the input. On success the input stands behind the
    // match; on failure it is undefined.
    bool Match(size_t scan)
    {
        TDepth guard(depth);
        if (depth > RegMaxDepth || failed)
            return Fail("recursion too deep");
        while (scan != 0) {
            size_t next = NextNode(code, scan);
            unsigned char op = code[scan];
            switch (op) {
            case OpBol:
                if (input != bol)
                    return false;
                break;
            case OpEol:
                if (*input != '\0')
                    return false;
                break;
            case OpAny:
                if (*input == '\0')
                    return false;
                ++input;
                break;
            case OpExactly: {
                const char *opnd = Operand(code, scan);
                if (*opnd != *input)
                    return false;
                size_t len = strlen(opnd);
                if (len > 1 && strncmp(opnd, input, len) != 0)
                    return false;
                input += len;
                break;
            }
            case OpAnyOf:
                if (*input == '\0' || strchr(Operand(code, scan), *input) == nullptr)
                    return false;
                ++input;
                break;
            case OpAnyBut:
                if (*input == '\0' || strchr(Operand(code, scan), *input) != nullptr)
                    return false;
                ++input;
                break;
            case OpNothing:
            case OpBack:
                break;
            case OpBranch:
                if (code[next] != OpBranch) {
                    next = scan + 3;  // only one choice: no need to recurse
                } else {
                    do {
                        const char *save = input;
                        if (Match(scan + 3))
                            return true;
                        if (failed)
                            return false;
                        input = save;
                        scan = NextNode(code, scan);
                    } while (scan != 0 && code[scan] == OpBranch);
                    return false;
                }
                break;
            case OpStar:
            case OpPlus: {
                // Greedy: take as many as possible, then give back one at a time. When a
                // literal follows, only stop where its first character stands.
                char nextch = code[next] == OpExactly ? *Operand(code, next) : '\0';
                size_t min = op == OpStar ? 0 : 1;
                const char *save = input;
                size_t no = Repeat(scan + 3);
                if (failed)
                    return false;
                for (;;) {
                    if (no < min)
                        return false;
                    if (nextch == '\0' || *input == nextch) {
                        if (Match(next))
                            return true;
                        if (failed)
                            return false;
                    }
                    if (no == 0)
                        return false;
                    --no;
                    input = save + no;
                }
            }
            case OpEnd:
                return true;
            default:
                if (op > OpOpen && op < OpOpen + RegNSub) {
                    int no = op - OpOpen;
                    const char *save = input;
                    if (!Match(next))
                        return false;
                    // The last pass through a group sets its start first, as the
                    // recursion unwinds.
                    if (!startp[no])
                        startp[no] = save;
                    return true;
                }
                if (op > OpClose && op < OpClose + RegNSub) {
                    int no = op - OpClose;
                    const char *save = input;
                    if (!Match(next))
                        return false;
                    if (!endp[no])
                        endp[no] = save;
                    return true;
                }
                return Fail("memory corruption");
            }
            scan = next;
        }
        // The chain ended without an END node.
        return Fail("corrupted pointers");
    }
};

} // namespace

TRegErrHook SetRegErrHook(TRegErrHook hook)
{
    return regErrHook.exchange(hook);
}

unsigned RegSearch(const char *pattern, const char *text)
{
    TRegProg prog;
    if (!RegCompile(pattern, prog))
        return (unsigned)-1;
    if (!text) {
        RegError("NULL parameter");
        return (unsigned)-1;
    }
    TRegExec exec(prog);
    return exec.Search(text);
}
