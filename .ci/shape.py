#!/usr/bin/env python3
"""Shape check: file length, function length and the share of test code.

Run from the repository root:  python3 .ci/shape.py
Fails (exit 1) when
  - a file under src/ or include/ is over 400 lines,
  - a function in src/ or tools/ (*.cpp, *.h) is over 60 lines, counted from
    the first line of its signature (not a template head above it) to its
    closing brace (lambdas and local classes count toward the function they
    sit in),
  - the test share (lines of tests/ and python/tests over lines of src/,
    include/, tools/ and python/tolvane) is above 35 % or below 25 %.
Files are those git tracks plus new ones it does not ignore, so a check
before `git add` sees what the commit will hold. No dependencies.
"""
import os
import re
import subprocess
import sys

MAX_FILE_LINES = 400
MAX_FUNCTION_LINES = 60
SHARE_LOW, SHARE_HIGH = 25.0, 35.0
SOURCE_EXT = (".c", ".cc", ".cpp", ".h", ".hpp", ".py")
CONTAINER = re.compile(r'^(?:typedef\s+)?(?:namespace|class|struct|union|enum)\b|^extern\s*"\s*"')
TEMPLATE_HEAD = re.compile(r"^template\s*<")
CTOR_INIT = re.compile(r"\)\s*(?:noexcept\s*)?:(?!:)")


def listed_files():
    try:
        out = subprocess.run(["git", "ls-files", "-z", "--cached", "--others", "--exclude-standard"],
                             capture_output=True, check=True).stdout.decode()
        names = [n for n in out.split("\0") if n]
    except (OSError, subprocess.CalledProcessError):
        names = [os.path.relpath(os.path.join(d, f)) for d, _, fs in os.walk(".") for f in fs]
    return sorted(n.replace(os.sep, "/") for n in set(names) if os.path.isfile(n))


def count_lines(path):
    with open(path, "rb") as f:
        data = f.read()
    return data.count(b"\n") + (1 if data and not data.endswith(b"\n") else 0)


def under(path, *roots):
    return any(path.startswith(r.rstrip("/") + "/") for r in roots)


def code_only(text):
    """The text with comments, string and char literals and preprocessor lines
    blanked (newlines kept, so positions still give line numbers)."""
    out = list(text)
    i, n = 0, len(text)
    line_start = True
    while i < n:
        c = text[i]
        if line_start and c in " \t":
            i += 1
            continue
        if line_start and c == "#":  # directive, with its continuation lines
            while i < n and text[i] != "\n":
                out[i] = " "
                i += 2 if text[i] == "\\" and text.startswith("\n", i + 1) else 1
            continue
        line_start = c == "\n"
        if text.startswith("//", i):
            while i < n and text[i] != "\n":
                out[i] = " "
                i += 1
        elif text.startswith("/*", i):
            end = text.find("*/", i + 2)
            end = n if end < 0 else end + 2
            for j in range(i, end):
                if out[j] != "\n":
                    out[j] = " "
            i = end
        elif c == "R" and text.startswith('R"', i) and (i == 0 or not (text[i - 1].isalnum() or text[i - 1] == "_")):
            open_paren = text.find("(", i + 2)
            delim = text[i + 2:open_paren]
            end = text.find(")" + delim + '"', open_paren)
            end = n if end < 0 or open_paren < 0 else end + len(delim) + 2
            for j in range(i + 2, end - 1):
                if out[j] != "\n":
                    out[j] = " "
            i = end
        elif c == '"' or (c == "'" and not (i > 0 and text[i - 1].isalnum())):  # 1'000 is a digit separator
            j = i + 1
            while j < n and text[j] != c and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            for k in range(i + 1, min(j, n)):
                out[k] = " "
            i = j + 1
        else:
            i += 1
    return "".join(out)


def template_head(text):
    """Length of a leading template<...> head of text, 0 without one."""
    if not TEMPLATE_HEAD.match(text):
        return 0
    depth = 0
    for k, ch in enumerate(text):
        depth += (ch == "<") - (ch == ">")
        if ch == ">" and depth == 0:
            return k + 1
    return 0


def strip_template(statement):
    """The statement without a leading template<...> head."""
    return statement[template_head(statement):].lstrip()


def classify(statement, paren_depth):
    """What a brace outside any function opens: "container" (namespace, class,
    struct, union, enum, extern "C"), "function" or "other" (an initializer)."""
    before = statement[-1:] or "{"
    if paren_depth > 0:
        return "other"
    if CONTAINER.match(strip_template(statement)) and before != ")":
        return "container"
    if "(" not in statement or before in "=,([{":
        return "other"
    # In a constructor's initializer list, "member{value}" is not the body.
    if CTOR_INIT.search(statement) and (before.isalnum() or before in "_>"):
        return "other"
    return "function"


def long_functions(path):
    """(signature, first line, lines) of each function in the file over the limit."""
    with open(path, encoding="utf-8", errors="replace") as f:
        code = code_only(f.read())
    found = []
    stack = []  # per open brace: "container", "function" or "other"
    statement_start = None  # where the current statement outside functions begins
    function_start = 0
    paren_depth = 0
    for i, c in enumerate(code):
        in_function = "function" in stack
        if c in "([":
            paren_depth += 1
        elif c in ")]":
            paren_depth = max(0, paren_depth - 1)
        elif c == "{":
            if in_function:
                stack.append("other")
                continue
            statement = " ".join(code[statement_start:i].split()) if statement_start is not None else ""
            kind = classify(statement, paren_depth)
            stack.append(kind)
            if kind == "function":
                # Counted from the signature's first line, a template head above it aside.
                function_start = statement_start if statement_start is not None else i
                head = template_head(code[function_start:i])
                if head:
                    function_start += head + len(code[function_start + head:i]) - len(code[function_start + head:i].lstrip())
            if kind != "other":  # an initializer's braces belong to the statement around them
                statement_start = None
            continue
        elif c == "}":
            kind = stack.pop() if stack else "other"
            if kind == "function":
                first = code.count("\n", 0, function_start) + 1
                last = code.count("\n", 0, i) + 1
                if last - first + 1 > MAX_FUNCTION_LINES:
                    signature = " ".join(code[function_start:code.find("{", function_start)].split())
                    found.append((signature[:70], first, last - first + 1))
                paren_depth = 0
            if kind != "other":
                statement_start = None
            continue
        elif c == ";" and not in_function and paren_depth == 0:
            statement_start = None
            continue
        if not in_function and statement_start is None and not c.isspace():
            statement_start = i
    return found


def main():
    failed = False
    files = listed_files()
    for path in files:
        if under(path, "src", "include") and count_lines(path) > MAX_FILE_LINES:
            print(f"{path}: {count_lines(path)} lines (at most {MAX_FILE_LINES})")
            failed = True
    for path in files:
        if under(path, "src", "tools") and path.endswith((".cpp", ".h")):
            for name, line, length in long_functions(path):
                print(f"{path}:{line}: function of {length} lines (at most {MAX_FUNCTION_LINES}): {name}")
                failed = True

    def total(*roots):
        return sum(count_lines(p) for p in files if under(p, *roots) and p.endswith(SOURCE_EXT))

    tests = total("tests", "python/tests")
    code = total("src", "include", "tools", "python/tolvane")
    share = 100.0 * tests / code if code else 0.0
    verdict = "ok" if SHARE_LOW <= share <= SHARE_HIGH else f"outside {SHARE_LOW:.0f}-{SHARE_HIGH:.0f} %"
    print(f"test share: {tests} test lines / {code} code lines = {share:.1f} % ({verdict})")
    if verdict != "ok":
        failed = True
    print("shape: " + ("FAILED" if failed else "ok"))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
