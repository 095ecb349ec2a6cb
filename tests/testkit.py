"""What the command-line test scripts share: running a program, counting
failures, and the closing line and status."""
import subprocess

failures = 0

def fail(message):
    global failures
    failures += 1
    print('FAIL', message)

def run(tool, args, cwd, stdin=None):
    return subprocess.run([tool] + args, cwd=cwd, input=stdin, capture_output=True)

def finish():
    """Prints the verdict; the script's exit status."""
    print('%d failed' % failures if failures else 'ok')
    return 1 if failures else 0
