// The Web Worker that parses X files and textures for the page (job_worker.cpp), both its sides.
// The page compiles the program's module once, as it arrives, for itself and for the Worker, which
// runs it without main: no window, no GL, no files, only the jobs it is sent as a function-table
// index, an argument and the input's bytes. A job past its deadline, or one that crashed, ends
// with its Worker, and the next job starts a fresh one. The program is the viewer, or the limit of
// its picture (crs-limit.html), which loads its files the same way.
'use strict';

// The programs a Worker may run, the first by default; the page names its own in the Worker's
// address.
const JOB_WORKER_PROGRAMS = ['crs-move-pos', 'crs-limit'];

// Memory a Worker may keep after a job: WebAssembly's never shrinks, so beyond this the Worker
// makes way for a fresh one rather than hold a large parse's peak for the whole visit.
const JOB_WORKER_KEEPS_BYTES = 256 << 20;

// The page's side, set on the program's Module before the program's script runs: the program's
// instantiation and Module.runJob, which resolves to the answer's bytes (an ArrayBuffer), or to
// null when the job failed or ran out of time. The first Worker starts here, while the page waits
// for its files, and the program waits for it: once the program runs, the page's thread is busy
// until the program asks for its first file, and a Worker cannot start meanwhile, nor receive the
// compiled module.
function offerJobWorker(module, program = JOB_WORKER_PROGRAMS[0]) {
  const compiled = WebAssembly.compileStreaming(fetch(program + '.wasm'));

  const start = () => {
    const worker = new Worker('job_worker.js?' + program);
    const ready = new Promise((resolve, reject) => {
      worker.onmessage = event => (event.data.ready ? resolve : reject)();
      worker.onerror = event => { event.preventDefault(); reject(); };
    });
    compiled.then(wasm => worker.postMessage(wasm), () => {});
    return {worker, ready};
  };
  let current = start();  // {worker, ready}, ready resolved once the Worker can take a job
  module.preRun.push(() => {
    module.addRunDependency('job worker');
    const started = () => module.removeRunDependency('job worker');
    current.ready.then(started, started);
  });
  const end = () => {
    if (current) current.worker.terminate();
    current = null;
  };
  const within = (promise, ms) => new Promise((resolve, reject) => {
    const timer = setTimeout(reject, ms);
    promise.then(value => { clearTimeout(timer); resolve(value); },
                 () => { clearTimeout(timer); reject(); });
  });

  module.instantiateWasm = (imports, done) => {
    compiled.then(wasm => WebAssembly.instantiate(wasm, imports)
      .then(instance => done(instance, wasm)))
      .catch(error => module.onAbort('the program could not be loaded: ' + error));
    return {};
  };

  // A fresh Worker's start and then the job are each held to the deadline. A test may shorten it,
  // never lengthen it, by setting crsJobDeadlineMs before the page's scripts run.
  module.runJob = async (job, argument, input, timeoutMs) => {
    const deadline = Math.min(timeoutMs, self.crsJobDeadlineMs || Infinity);
    try {
      if (!current) current = start();
      const {worker, ready} = current;
      await within(ready, deadline);
      const reply = within(new Promise((resolve, reject) => {
        worker.onmessage = event => resolve(event.data);
        worker.onerror = event => { event.preventDefault(); reject(); };
      }), deadline);
      worker.postMessage({job, argument, input}, [input.buffer]);
      const {answer, crashed, memoryBytes} = await reply;
      if (crashed || memoryBytes > JOB_WORKER_KEEPS_BYTES) end();
      return answer;
    } catch (timedOutOrFailed) {
      end();
      return null;
    }
  };
}

// The Worker's side: the program's script loads at once, its instantiation waits for the compiled
// module, the first message; each later message is a job.
if (typeof WorkerGlobalScope !== 'undefined' && self instanceof WorkerGlobalScope) {
  const runJob = event => {
    const {job, argument, input} = event.data;
    let answer = null;
    try {
      const place = Module._WorkerJobInput(input.byteLength);
      if (place !== 0 || input.byteLength === 0) {
        Module.HEAPU8.set(new Uint8Array(input), place);
        if (Module._WorkerRunJob(job, argument)) {
          const from = Module._WorkerJobAnswer();
          const size = Module._WorkerJobAnswerSize() >>> 0;
          answer = Module.HEAPU8.slice(from, from + size).buffer;
        }
      }
    } catch (crash) {
      // A trap or an abort leaves the instance unfit for another job.
      postMessage({answer: null, crashed: true});
      return;
    }
    postMessage({answer, crashed: false, memoryBytes: Module.HEAPU8.length},
                answer === null ? [] : [answer]);
  };
  const compiled = new Promise(resolve => { self.onmessage = event => resolve(event.data); });
  self.Module = {
    noInitialRun: true,
    instantiateWasm: (imports, done) => {
      compiled.then(wasm => WebAssembly.instantiate(wasm, imports)
        .then(instance => done(instance, wasm)))
        .catch(() => postMessage({ready: false}));
      return {};
    },
    onRuntimeInitialized: () => {
      self.onmessage = runJob;
      postMessage({ready: true});
    },
    print: text => console.log(text),
    printErr: text => console.warn(text),
  };
  const program = self.location.search.slice(1);
  importScripts((JOB_WORKER_PROGRAMS.includes(program) ? program : JOB_WORKER_PROGRAMS[0]) + '.js');
}
