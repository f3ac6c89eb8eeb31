// One session per npm RCON client (log in, the commands given); a JSON line each with replies or error.
// Usage: node RconInteropClients.js MODULES_DIR PORT PASSWORD COMMAND...
const [modules, portText, password, ...commands] = process.argv.slice(2);
const load = (name) => require(require('path').join(modules, 'node_modules', name));
const [host, port, timeout] = ['127.0.0.1', Number(portText), 5000];
// The commands one after another, each once the previous one is answered.
const inTurn = (send) => commands.reduce(async (replies, command) => [...await replies, await send(command)], []);

const clients = {
  'rcon-client': async () => {
    const client = await load('rcon-client').Rcon.connect({ host, port, password, timeout });
    return inTurn((command) => client.send(command)).finally(() => client.end());
  },
  'rcon-srcds': async () => {
    const client = new (load('rcon-srcds').default)({ host, port, timeout });
    await client.authenticate(password);
    return inTurn((command) => client.execute(command)).finally(() => client.disconnect());
  },
  // Event based: a response event answers the command sent last.
  rcon: () => new Promise((resolve, reject) => {
    const client = new (load('rcon'))(host, port, password);
    let answer = null;
    setTimeout(() => reject(new Error('timed out')), timeout).unref();
    client.on('error', reject).on('response', (text) => answer(text));
    client.on('auth', () => inTurn((command) => new Promise((done) => {
      answer = done;
      client.send(command);
    })).then(resolve, reject).finally(() => client.disconnect()));
    client.connect();
  }),
};

(async () => {
  for (const [client, run] of Object.entries(clients)) {
    const result = await run().then((replies) => ({ replies }), (error) => ({ error: `${error}` }));
    console.log(JSON.stringify({ client, ...result }));
  }
})();
