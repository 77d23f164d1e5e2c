"""pnpsum end to end: the dialogue byte for byte, and every way its
standard streams can fail."""
import harness
from harness import run

WORKED_EXAMPLES = [
    (b"Acme", b"Laser 200", b"CID: AcmeLaser_20021C1"),
    (b" Acme Corp ", b"Laser Printer 2000 Series", b"CID: Acme_CorpLaser_Print19DB"),
    (b"Acme", b"Laser Printer 20", b"CID: AcmeLaser_Printer_208226"),
    (b"Acme", b"Laser Printer 2000", b"CID: AcmeLaser_Printer_20158E"),
    (b"Acme", b"Laser Printer 20000", b"CID: AcmeLaser_Printer_207095"),
    (b"", b"X1", b"CID: X114FA"),
    (b"Acme", b"", b"CID: Acme9908"),
]


class Dialogue(harness.Case):
    def test_worked_examples(self):
        for manufacturer, model, line in WORKED_EXAMPLES:
            for stdin_kind in ("file", "pipe"):
                with self.subTest(model=model, stdin=stdin_kind):
                    result = run(stdin=manufacturer + b"\r\n" + model + b"\r\n",
                                 stdin_kind=stdin_kind)
                    self.assertEqual(result.stdout, b"MFG: MDL: " + line +
                                     b"\r\nMFG: MDL: ")
                    self.assertEqual((result.stderr, result.code), (b"", 0))

    def test_redirected_file_and_pipe_give_the_same_bytes(self):
        for stdout_kind in ("file", "pipe"):
            result = run(stdin=b"Acme\nLaser 200\n", stdout_kind=stdout_kind)
            self.assertEqual(result.stdout, b"MFG: MDL: CID: AcmeLaser_20021C1"
                             b"\r\nMFG: MDL: ")
            self.assertEqual((result.stderr, result.code), (b"", 0))

    def test_ends_on_two_empty_answers_or_the_end_of_input(self):
        for stdin in (b"", b"\r\n\r\n", b"  \t\n\t\nnever\nread\n"):
            result = run(stdin=stdin)
            self.assertEqual(result.stdout, b"MFG: MDL: ")
            self.assertEqual(result.code, 0)

    def test_last_line_without_line_end_and_long_answers(self):
        result = run(stdin=b"A" * 300 + b"\nB")
        self.assertEqual(result.stdout[:35], b"MFG: MDL: CID: " + b"A" * 20)
        self.assertEqual(len(result.stdout), 10 + 5 + 24 + 2 + 10)
        self.assertEqual(result.code, 0)

    def test_arguments_are_ignored(self):
        result = run(args=["-x", "/?"], stdin=b"Acme\nLaser 200\n")
        self.assertIn(b"CID: AcmeLaser_20021C1\r\n", result.stdout)


class FailingStreams(harness.Case):
    # One answer pair's output waits in the first 128-byte block and fails
    # at the last write-out; forty pairs' fails in the middle of the run.
    ANSWERS = [("one block", b"Acme\nLaser 200\n"),
               ("many blocks", b"Acme\nLaser 200\n" * 40 + b"\n\n")]

    def test_failing_standard_output(self):
        self.assertGreater(len(run(stdin=self.ANSWERS[1][1]).stdout), 8 * 128)
        for label, answers in self.ANSWERS:
            for kind, code in (("full", "full"), ("gone", "gone"),
                               ("closed", "closed output")):
                with self.subTest(label + ", " + kind):
                    result = run(stdin=answers, stdout_kind=kind)
                    self.assertEqual(result.stdout, b"")
                    self.assertReport(result, "I/O error %d."
                                      % harness.failure_code(code))

    def test_closed_standard_input(self):
        result = run(stdin_kind="closed", stdout_kind="pipe")
        self.assertEqual(result.stdout, b"MFG: ")
        self.assertReport(result, "I/O error %d." % harness.failure_code("closed input"))


if __name__ == "__main__":
    harness.main()
