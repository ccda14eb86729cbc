"""Runs one file's checks as unittest does, but in their steps' order (9 before 10), and says so to CTest
(exit 77) when every one of them was skipped on this build: usage: run.py test_NAME"""
import re, sys, unittest

step = lambda name: (int((re.match(r"test_(\d+)", name) or [0, 0])[1]), name)
loader = unittest.TestLoader()
loader.sortTestMethodsUsing = lambda a, b: (step(a) > step(b)) - (step(a) < step(b))
result = unittest.main(module=sys.argv[1], argv=sys.argv[:1] + ["-v"], exit=False, testLoader=loader).result
sys.exit(1 if not result.wasSuccessful() else 77 if len(result.skipped) == result.testsRun else 0)
