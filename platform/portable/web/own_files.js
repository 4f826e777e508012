// The user's own crs.x, F1.x and textures in the page: chosen through the page's inputs or dropped
// on it, kept in the browser's IndexedDB (they never leave the machine), and on the page's next
// start written into a working directory of their own, where the viewer loads them as it would
// load ours. Sub-folders come from the names relative to the chosen or dropped folder.
'use strict';

const OWN_DIRECTORY = '/own';
const ownStore = () => new Promise((resolve, reject) => {
  const request = indexedDB.open('crs-own-files', 1);
  request.onupgradeneeded = () => request.result.createObjectStore('files');
  request.onsuccess = () => resolve(request.result);
  request.onerror = () => reject(request.error);
});

function storeAndRestart(files) {
  if (files.length === 0) return;
  ownStore().then(db => {
    const transaction = db.transaction('files', 'readwrite');
    transaction.objectStore('files').put(files, 'chosen');
    transaction.oncomplete = () => { location.search = '?own'; };
  });
}

// A folder's name is its own, not one of the viewer's: the files' names start below it.
function belowFolder(path) {
  const parts = path.split('/').filter(part => part !== '');
  return (parts.length > 1 ? parts.slice(1) : parts).join('/');
}

function chosenFiles(input) {
  return Array.from(input.files, file => ({
    path: file.webkitRelativePath ? belowFolder(file.webkitRelativePath) : file.name,
    blob: file,
  }));
}

// A dropped folder arrives as an entry whose files are read a batch at a time.
function entryFiles(entry, found) {
  if (entry.isFile) {
    return new Promise(resolve => entry.file(file => {
      found.push({path: entry.fullPath, blob: file});
      resolve();
    }, resolve));
  }
  const reader = entry.createReader();
  const readBatch = () => new Promise(resolve => reader.readEntries(resolve, () => resolve([])))
    .then(entries => entries.length === 0 ? null :
      Promise.all(entries.map(child => entryFiles(child, found))).then(readBatch));
  return readBatch();
}

function droppedFiles(event) {
  const entries = Array.from(event.dataTransfer.items, item => item.webkitGetAsEntry())
    .filter(entry => entry !== null);
  const found = [];
  return Promise.all(entries.map(entry => entryFiles(entry, found))).then(() => {
    // A single folder dropped: its contents are the working directory, as when it is chosen.
    const oneFolder = entries.length === 1 && entries[0].isDirectory;
    return found.map(file => ({
      path: oneFolder ? belowFolder(file.path) : file.path.replace(/^\/+/, ''),
      blob: file.blob,
    }));
  });
}

// Before the program starts: the stored files, read while the page's other data arrives.
function loadOwnFiles(module) {
  if (!new URLSearchParams(location.search).has('own')) return;
  module.addRunDependency('own files');
  ownStore().then(db => new Promise((resolve, reject) => {
    const request = db.transaction('files').objectStore('files').get('chosen');
    request.onsuccess = () => resolve(request.result || []);
    request.onerror = () => reject(request.error);
  })).then(files => Promise.all(files.map(file => file.blob.arrayBuffer().then(bytes =>
    ({path: file.path, bytes: new Uint8Array(bytes)})))))
    .then(files => {
      module.ownFiles = files;
      module.removeRunDependency('own files');
    });
}

// Once the data is in place: the files written under a directory of their own, which becomes
// the program's working directory.
function writeOwnFiles(module) {
  if (!module.ownFiles) return;
  const fs = module.FS;
  fs.mkdir(OWN_DIRECTORY);
  for (const file of module.ownFiles) {
    const parts = file.path.split('/');
    let directory = OWN_DIRECTORY;
    for (const part of parts.slice(0, -1)) {
      directory += '/' + part;
      if (!fs.analyzePath(directory).exists) fs.mkdir(directory);
    }
    fs.writeFile(directory + '/' + parts[parts.length - 1], file.bytes);
  }
  fs.chdir(OWN_DIRECTORY);
}

function offerOwnFiles() {
  for (const [button, input] of [['open-files', 'own-files'], ['open-folder', 'own-folder']]) {
    const element = document.getElementById(input);
    document.getElementById(button).onclick = () => element.click();
    element.onchange = () => storeAndRestart(chosenFiles(element));
  }
  document.addEventListener('dragover', event => event.preventDefault());
  document.addEventListener('drop', event => {
    event.preventDefault();
    droppedFiles(event).then(storeAndRestart);
  });
}
