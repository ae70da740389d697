"""fluxart.field beside the program's whole run on the same drawing, both
with its kernels cached, timed in turn in one run; run by scripts/bench.
Arguments: the program, the drawing, and optionally the number of rounds
(7). Prints the median of each and their ratio."""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

import fluxart


def main():
    binary, drawing = os.path.abspath(sys.argv[1]), sys.argv[2]
    rounds = int(sys.argv[3]) if len(sys.argv) > 3 else 7
    with tempfile.TemporaryDirectory() as folder:
        name = os.path.basename(drawing)
        shutil.copy(drawing, folder)
        command = [binary, name, "3", "1"]
        # The first run makes the kernel cache files both then load.
        subprocess.run(command, cwd=folder, check=True, stdout=subprocess.DEVNULL)
        fluxart.field(os.path.join(folder, name), cache_dir=folder)
        program, module = [], []
        for _ in range(rounds):
            start = time.perf_counter()
            subprocess.run(command, cwd=folder, check=True, stdout=subprocess.DEVNULL)
            program.append(time.perf_counter() - start)
            start = time.perf_counter()
            fluxart.field(os.path.join(folder, name), cache_dir=folder)
            module.append(time.perf_counter() - start)
    field_s, program_s = statistics.median(module), statistics.median(program)
    print("%s (3 1), full cache, median of %d: fluxart.field %.3f s, the program's run %.3f s "
          "(field takes %.2fx the run's time)" % (name, rounds, field_s, program_s,
                                                   field_s / program_s))


if __name__ == "__main__":
    main()
