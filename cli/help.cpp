// stepdrive-cli --help: the commands, the profile, the output and the exit
// statuses.

#include "cli/cli.h"
#include "core/profile.h"

#include <limits>

namespace stepdrive::cli {

QString helpText() {
    QStringList keys;
    for (const ValueRule& rule : kMotorParameters)
        keys << (rule.min == std::numeric_limits<std::int32_t>::min()
                     ? QStringLiteral("%1 (any whole number)").arg(QLatin1String(rule.key))
                     : QStringLiteral("%1 (%2-%3)")
                           .arg(QLatin1String(rule.key))
                           .arg(rule.min)
                           .arg(rule.max));
    return QStringLiteral(R"help(Usage: stepdrive-cli --port PORT [options] COMMAND [ARGUMENTS]
       stepdrive-cli [--port PORT...] [options] scan

Sets up and checks the stepping-motor driver on a serial line, from a shell
or a script. It speaks the frames the stepdrive windows speak, waits for each
reply at most --timeout, and every command that writes reads back what it
wrote and fails when the driver holds something else.

Options:
  --port PORT      COM<n> or a device path (/dev/ttyUSB0); COM n is the device
                   in STEPDRIVE_COM<n> when that is set, else /dev/ttyS<n-1>;
                   apply, verify and dump take it more than once (see
                   Several drives)
  --baud N         line speed (default %1); no parity, 8 data bits, 1 stop bit
  --timeout S      seconds to wait for each reply (default 1; fractions work)
  --wait           move, home and table run: ask for the inputs every 50 ms
                   until the run flag clears, then print the position; done
                   only at the target (move abs N: N, move rel N: the start
                   plus N, table run R: row R's position, home: 0), else
                   exit status 3
  --wait-timeout S how long --wait waits at most (default 60); a motor still
                   running then is stopped (the stop frame goes out) and the
                   run ends with exit status 4
  -o, --output FILE
                   dump: write the profile to FILE, whole or not at all (a
                   dump that fails leaves FILE as it was)
  --json           print results as JSON
  --trace          write every frame out and in, with a timestamp, to
                   standard error (the stepdrive.link wire log)
  -h, --help       show this text
  --version        print the version and licence

Commands:
  params read                the seven motor parameters
  params write KEY=VALUE...  write motor parameters and read them back; keys:
                             %2
  move abs PULSES            move to a position
  move rel PULSES            move by a signed distance
  jog left|right SPEED       jog until stopped (speed 0-2047)
  stop                       stop the motor
  home                       run a home search
  position                   the current position
  inputs                     inputs 1-8, the run flag and the home sensor
  outputs S1 S2              set outputs 1 and 2 (0 or 1); 3 and 4 are sent off
  table read                 the seven position-table entries
  table run ROW              move with table entry ROW (1-7) as the driver
                             holds it
  table write ROW KEY=VALUE...
                             write table entry ROW (1-7) and read it back;
                             keys position, velocity, acceleration: those not
                             given are read from the driver and written as
                             it holds them
  belt read                  the four belt parameters
  belt write KEY=VALUE...    write belt parameters and read them back; keys
                             acceleration, speed, deceleration, final_speed
                             (0-65535), in2_used=true|false (not read back)
  dump                       everything readable, as a profile (always JSON),
                             with an "about" note: port, date, program
  scan                       list the serial devices the system reports and
                             the COM numbers that map to one (STEPDRIVE_COM<n>,
                             /dev/ttyS<n-1>), or only each --port given; opens
                             each at --baud and sends it one position request
                             to see whether a driver answers. scan is the only
                             command that sends to a port not named by --port,
                             and only when it is run. Exit status 0 when a
                             driver answered, 4 when a port opened but none
                             did, 2 when no port could be opened
  apply FILE                 write every section of a profile, read it back
                             and compare (FILE "-" is standard input)
  verify FILE                read back every section the profile holds and
                             compare, writing nothing: exit status 0 when the
                             driver holds the file, 3 with the differences
  monitor [--interval MS] [--duration S] [--csv]
                             the position, speed (pulses/s), run flag, home
                             sensor and inputs every MS (50, 100, 200 or 500;
                             default 100) for S seconds or until Ctrl-C (exit
                             status 0): a line each, with --csv a header and
                             a row each, with --json an object per port each;
                             several --port give a column set each

Pacing, as the windows pace: 100 ms before the first frame of the motor
parameters and of the belt, 150 ms after every frame of a write, 100 ms after
every reply of a read-back.

Moves, jogs, stop, home search and outputs can't be read back: their reply is
checked, nothing more. The belt's IN2-use flag is written but can't be read
back; stepdrive-cli says so rather than claim it verified.

Profile: a JSON object with any of the sections "motor", "table" and "belt";
a section given is complete. dump writes what apply reads, for example:

  {
    "motor": {"run_current": 20, "stop_current": 4, "run_speed": 800,
              "acceleration": 10, "homing_speed": 500, "home_offset": 12800,
              "resolution": 2},
    "table": [{"position": 0, "velocity": 800, "acceleration": 10},
              {"position": 5000, "velocity": 1200, "acceleration": 20},
              {"position": -5000, "velocity": 1200, "acceleration": 20},
              {"position": 0, "velocity": 800, "acceleration": 10},
              {"position": 0, "velocity": 800, "acceleration": 10},
              {"position": 0, "velocity": 800, "acceleration": 10},
              {"position": 0, "velocity": 800, "acceleration": 10}],
    "belt": {"acceleration": 10, "speed": 800, "deceleration": 10,
             "final_speed": 400, "in2_used": false}
  }

  motor  the keys above, in their ranges
  table  seven entries, entry 1 first: position %3 to %4, velocity and
         acceleration %5 to %6
  belt   acceleration, speed, deceleration, final_speed: 0 to 65535 each;
         in2_used (true or false) is optional and is written only when given
  about  optional: an object of strings (port, date, program, a note) that
         dump writes and apply and verify pass by; a top-level "port", as
         --json dump prints it, is passed by too
A file with an unknown key, a key given twice, a missing field, a value out
of range or that is not a whole number, or malformed JSON is refused before
anything is sent.

Values are whole numbers, on the command line as in a profile: 20 and 20.0
are taken, 20.5 and 1e3 are refused, never rounded.

Output: key=value lines (motor.run_current=20, table.1.position=0,
belt.speed=800, position=1200, in1=0); a write that reads back otherwise
prints "motor.run_current=24 (wrote 25)", verify "... (the file has 25)".

--json prints one JSON object on one line; each key has one type in every
case (the README has the schema):
  "port"          the --port given (null for scan, or when the command line
                  was refused)
  the result      under keys nested as in a profile: "motor": {...},
                  "table": [seven rows, null for a row not concerned],
                  "belt", "about", "position", "in1".."in8", "running",
                  "home_sensor", and for scan "ports": [{"port", "device",
                  "description", "opened", "driver", "position" or
                  "message"}]
  "verified"      where a command writes or verifies: the values read back as
  "not_verified"  expected, and the keys that were not ("belt.in2_used");
                  "differences": [{"key", "read", "wrote"}] for a write,
                  [{"key", "read", "file"}] for verify
  "error"         on failure only: {"status": the exit status, "message",
                  "phase": checking, opening, writing, reading, sending,
                  waiting or output, "sent": whether a frame went out, and
                  for writes and verify "written", "verified",
                  "not_verified"}
Errors are JSON on standard output as well as plain text on standard error;
the exit status is the same either way. A failure after the first frame
says what reached the drive: the phase, and the keys written and read back.
For example:
  {"port":"COM4","position":5000}
  {"error":{"message":"no reply to AA 00 06 08 00 00 00 00 EE 0E within 1 s (0 of 10 bytes came), while reading; nothing was written to the drive","phase":"reading","sent":true,"status":4},"port":"COM4"}

Several drives: apply, verify and dump with --port given more than once set
up or read every drive at the same time, each line at its own pacing; one
that is missing, silent or answers wrongly does not stop the others. Each
result line starts with its port ("COM5: motor.run_current=20"), each message
names it; dump prints one JSON object keyed by port (a port that failed holds
{"error": {...}}); with --json, a list of the objects above, one a
port in the order given. The exit status is the highest of theirs.

Progress: when standard error is a terminal, apply and verify write a line
there each time a section of a drive is done ("COM5 writing motor 7/7,
table 7/7"); when it is not (a pipe, a file), nothing.

Interrupted: SIGINT (Ctrl-C) or SIGTERM during --wait sends the stop frame;
during a write the run stops before the next frame and says what was
written; then exit status 130. A second one ends the program at once.

Exit status:
  0    done, and the output written
  1    usage or file error (nothing sent)
  2    the port can't be opened (or the line was lost)
  3    the read-back differs from what was written (the differences
       printed), or the motor stopped away from its target after --wait
  4    no reply in time, or the motor still running at --wait-timeout (and
       stopped)
  5    a reply failed the header, status or trailer check (or answered
       another command)
  6    standard output or the --output file could not be written
  130  interrupted by SIGINT or SIGTERM
)help")
        .arg(kDefaultBaud)
        .arg(keys.join(QStringLiteral(",\n                             ")))
        .arg(tablePositionRange().min)
        .arg(tablePositionRange().max)
        .arg(tableSpeedRange().min)
        .arg(tableSpeedRange().max);
}

} // namespace stepdrive::cli
